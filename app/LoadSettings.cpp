#include "app/LoadSettings.h"

#include <string>
#include <vector>

#include "app/Settings.h"
#include "engine/DeviceSeam.h"
#include "app/model/SettingsFile.h"

namespace solvena::app {

std::array<char, kSettingsPathSize> startFolder{};
std::array<char, kSettingsPathSize> instrumentsPath{};
std::uint32_t waveInDeviceId = 0;
std::uint32_t midiOutDeviceId = 0;

namespace {

void Store(std::array<char, kSettingsPathSize>& buffer, const std::string& text) {
    buffer.fill('\0');
    const std::size_t n = text.size() < buffer.size() - 1 ? text.size() : buffer.size() - 1;
    text.copy(buffer.data(), n);
}

std::vector<std::string> WaveInNames() {
    std::vector<std::string> names;
    const std::uint32_t count = devices::WaveInCount();
    for (std::uint32_t id = 0; id < count; ++id) names.push_back(devices::WaveInName(id));
    return names;
}

std::vector<std::string> MidiOutNames() {
    std::vector<std::string> names;
    const std::uint32_t count = devices::MidiOutCount();
    for (std::uint32_t id = 0; id < count; ++id) names.push_back(devices::MidiOutName(id));
    return names;
}

// The executable's full path, or empty when it does not fit the 256-character buffer: a cut
// path would give some other folder.
std::string ExecutablePath(HINSTANCE instance) {
    std::array<char, kSettingsPathSize> path{};
    const DWORD length = GetModuleFileNameA(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    return std::string(path.data(), length);
}

}  // namespace

void LoadSettings(HINSTANCE instance) {
    const std::string programFolder = ProgramFolderOf(ExecutablePath(instance));
    Store(startFolder, programFolder);
    Store(instrumentsPath, InstrumentsPathOf(programFolder));
    waveInDeviceId = 0;
    midiOutDeviceId = 0;

    const SettingsLines lines = ReadSettingsFile(SettingsPathOf(programFolder));
    if (lines.startFolder) Store(startFolder, *lines.startFolder);
    // The device names are asked for only when there is a line to compare them with.
    if (lines.waveInName) waveInDeviceId = MatchDeviceName(lines.waveInName, WaveInNames());
    if (lines.midiOutName) midiOutDeviceId = MatchDeviceName(lines.midiOutName, MidiOutNames());
}

}  // namespace solvena::app
