// The test build's device seam: virtual devices described by loopback-devices.txt beside the
// executable, read the first time any device is asked about.
#include <windows.h>

#include <mutex>

#include "engine/DeviceSeam.h"
#include "loopback/LoopbackDeviceFile.h"
#include "loopback/seam/Loopback.h"
#include "loopback/seam/LoopbackStudio.h"

namespace solvena::devices {

namespace {

constexpr char kDeviceFileName[] = "loopback-devices.txt";
constexpr DWORD kMaxFileBytes = 1u << 20;
// Enough for a test to see a whole session's probing; older records are dropped first.
constexpr std::size_t kMaxQueryRecords = 1024;

struct LoopbackState {
    std::mutex mutex;
    bool loaded = false;
    LoopbackDeviceSet devices;
    std::string error;
    std::vector<LoopbackQueryRecord> queries;
};

LoopbackState& State() {
    static LoopbackState state;
    return state;
}


enum class ReadOutcome { read, missing, failed };

ReadOutcome ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadOutcome::missing
                                                                              : ReadOutcome::failed;
    }
    ReadOutcome outcome = ReadOutcome::failed;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart <= kMaxFileBytes) {
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(bytes.size());
        if (wanted == 0 || (ReadFile(file, bytes.data(), wanted, &got, nullptr) && got == wanted)) {
            outcome = ReadOutcome::read;
        }
    }
    CloseHandle(file);
    return outcome;
}

bool LoadLocked(LoopbackState& state, const std::string& path, bool missingMeansNoDevices) {
    state.loaded = true;
    state.devices = {};
    state.error.clear();
    std::string bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadOutcome::missing:
        if (missingMeansNoDevices) return true;
        state.error = path + ": not found";
        return false;
    case ReadOutcome::failed:
        state.error = path + ": cannot be read (or is larger than 1 MiB)";
        return false;
    case ReadOutcome::read:
        break;
    }
    LoopbackParseResult parsed = ParseLoopbackDeviceFile(bytes);
    if (!parsed.ok) {
        state.error = path + " line " + std::to_string(parsed.line) + ": " + parsed.error;
        return false;
    }
    state.devices = std::move(parsed.devices);
    return true;
}

bool LoadDefaultLocked(LoopbackState& state) {
    if (LoadLocked(state, LoopbackExecutableFolder() + kDeviceFileName, true)) return true;
    // The program has nowhere else to say why it sees no devices.
    OutputDebugStringA(("solvena loopback: " + state.error + "\n").c_str());
    return false;
}

// Locks the state, reading the file beside the executable the first time.
class LoadedState {
public:
    LoadedState() : state_(State()), lock_(state_.mutex) {
        if (!state_.loaded) LoadDefaultLocked(state_);
    }
    LoopbackState* operator->() { return &state_; }

private:
    LoopbackState& state_;
    std::lock_guard<std::mutex> lock_;
};

}  // namespace

// The executable's folder with its final separator. The path is code page 932, where the
// second byte of a double-byte character may equal '\', so it is walked character by character.
std::string LoopbackExecutableFolder() {
    std::string path(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    std::size_t folderEnd = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/') {
            folderEnd = i + 1;
        }
    }
    return path.substr(0, folderEnd);
}

bool LoopbackLoadDeviceFile(const std::string& path) {
    // Open devices belong to the old description; they go first (the studio lock is never
    // taken while this state's lock is held).
    LoopbackCloseAll();
    LoopbackState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return LoadLocked(state, path, false);
}

bool LoopbackLoadDefaultDeviceFile() {
    LoopbackCloseAll();
    LoopbackState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return LoadDefaultLocked(state);
}

std::string LoopbackLoadError() { return LoadedState()->error; }

std::vector<LoopbackQueryRecord> LoopbackTakeQueries() {
    LoadedState state;
    std::vector<LoopbackQueryRecord> taken;
    taken.swap(state->queries);
    return taken;
}

std::uint32_t MidiOutCount() { return static_cast<std::uint32_t>(LoadedState()->devices.midiOuts.size()); }

std::string MidiOutName(std::uint32_t id) { return LoopbackMidiOutName(LoadedState()->devices, id); }

std::uint32_t WaveInCount() { return static_cast<std::uint32_t>(LoadedState()->devices.waveIns.size()); }

std::string WaveInName(std::uint32_t id) { return LoopbackWaveInName(LoadedState()->devices, id); }

std::optional<LoopbackMidiOut> LoopbackMidiOutDevice(std::uint32_t id) {
    LoadedState state;
    if (id >= state->devices.midiOuts.size()) return std::nullopt;
    return state->devices.midiOuts[id];
}

std::optional<LoopbackWaveIn> LoopbackWaveInDevice(std::uint32_t id) {
    LoadedState state;
    if (id >= state->devices.waveIns.size()) return std::nullopt;
    return state->devices.waveIns[id];
}

MmResult WaveInQuery(std::uint32_t id, const WaveFormat& format) {
    LoadedState state;
    if (state->queries.size() >= kMaxQueryRecords) state->queries.erase(state->queries.begin());
    state->queries.push_back(LoopbackQueryRecord{id, format});
    return LoopbackWaveInQuery(state->devices, id, format);
}

}  // namespace solvena::devices
