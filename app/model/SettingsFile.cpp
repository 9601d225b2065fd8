#include "app/model/SettingsFile.h"

#include <cstdio>
#include <vector>

#include "song/Song.h"

namespace solvena {

namespace {

// An unknown folder gives no path rather than one in the current drive's root.
std::string JoinIfItFits(std::string_view folder, std::string_view tail) {
    if (folder.empty() || folder.size() + tail.size() > kSettingsPathSize - 1) return {};
    std::string path(folder);
    path += tail;
    return path;
}

// The three lines together can never need more than this: each limit plus CR LF.
constexpr std::size_t kSettingsReadLimit = (kFolderLineLimit + 2) + 2 * (kDeviceNameLineLimit + 2);

}  // namespace

std::string ProgramFolderOf(std::string_view exePath) {
    std::size_t lastSeparator = std::string_view::npos;
    for (std::size_t i = 0; i < exePath.size(); ++i) {
        const auto c = static_cast<unsigned char>(exePath[i]);
        if (c == '\\') {
            lastSeparator = i;
        } else if (IsCp932LeadByte(c)) {
            ++i;  // its trail byte, whatever value it has
        }
    }
    if (lastSeparator == std::string_view::npos) return {};
    return std::string(exePath.substr(0, lastSeparator));
}

std::string InstrumentsPathOf(std::string_view programFolder) {
    return JoinIfItFits(programFolder, "\\instruments.ini");
}

std::string SettingsPathOf(std::string_view programFolder) { return JoinIfItFits(programFolder, "\\general.ini"); }

SettingsLines ParseSettingsLines(std::string_view text) {
    std::size_t pos = 0;
    bool readable = true;
    auto nextLine = [&](std::size_t limit) -> std::optional<std::string> {
        if (!readable || pos >= text.size()) return std::nullopt;
        const std::size_t newline = text.find('\n', pos);
        std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        // Only the CR of a CR LF pair ends the line; a lone CR is part of the value.
        if (newline != std::string_view::npos && end > pos && text[end - 1] == '\r') --end;
        const std::size_t length = end - pos;
        if (length > limit) {
            readable = false;
            return std::string(text.substr(pos, limit));
        }
        std::string line(text.substr(pos, length));
        pos = newline == std::string_view::npos ? text.size() : newline + 1;
        return line;
    };
    SettingsLines lines;
    lines.startFolder = nextLine(kFolderLineLimit);
    lines.waveInName = nextLine(kDeviceNameLineLimit);
    lines.midiOutName = nextLine(kDeviceNameLineLimit);
    return lines;
}

SettingsLines ReadSettingsFile(const std::string& path) {
    if (path.empty()) return {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    std::vector<char> bytes(kSettingsReadLimit + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return ParseSettingsLines(std::string_view(bytes.data(), got));
}

std::uint32_t MatchDeviceName(const std::optional<std::string>& line, std::span<const std::string> deviceNames) {
    if (!line) return 0;
    for (std::size_t id = 0; id < deviceNames.size(); ++id) {
        if (deviceNames[id] == *line) return static_cast<std::uint32_t>(id);
    }
    return 0;
}

}  // namespace solvena
