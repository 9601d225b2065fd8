// general.ini and the paths built from the program's folder, without any Windows call: the
// Windows side asks the system for the executable's path and the device names and hands
// them in here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace solvena {

// The settings' path buffers: 255 characters and the terminating zero.
constexpr std::size_t kSettingsPathSize = 256;
constexpr std::size_t kFolderLineLimit = 255;
constexpr std::size_t kDeviceNameLineLimit = 63;

// The executable's path without its file name and the separator before it. Walks code page
// 932 characters, so the trail byte 0x5C of a double-byte character is never taken for "\".
// Empty when the path holds no separator.
std::string ProgramFolderOf(std::string_view exePath);

// programFolder + "\instruments.ini" and programFolder + "\general.ini". Empty when the folder
// is empty or the result would not fit the 255 usable characters: a cut path could name some
// other file.
std::string InstrumentsPathOf(std::string_view programFolder);
std::string SettingsPathOf(std::string_view programFolder);

// The three positional lines of general.ini; a line that could not be read is empty (nullopt),
// which is different from a line that is there but blank.
struct SettingsLines {
    std::optional<std::string> startFolder;
    std::optional<std::string> waveInName;
    std::optional<std::string> midiOutName;
};

// Lines end with CR LF or LF. A line longer than its limit is taken cut to the limit and the
// lines after it count as missing.
SettingsLines ParseSettingsLines(std::string_view text);
// The file's lines; all missing when it cannot be opened. Only its first bytes are read.
SettingsLines ReadSettingsFile(const std::string& path);

// The number of the first device whose name is the line, byte for byte; 0 when no name
// matches or the line is missing.
std::uint32_t MatchDeviceName(const std::optional<std::string>& line, std::span<const std::string> deviceNames);

}  // namespace solvena
