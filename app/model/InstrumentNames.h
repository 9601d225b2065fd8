// The instrument names the track page shows in its "inst" mode: looked up by bank and program in
// names files (records of four integers and a word, separated by white space, code page 932).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace solvena {

// A name holds at most this many bytes (the page's 32-byte name buffer).
constexpr std::size_t kInstrumentNameBytes = 31;
// The program of a track without a program change: it names no record.
constexpr std::int32_t kNoProgram = -1;
// The per-device names path is built in 128 bytes.
constexpr std::size_t kDeviceNamesPathLimit = 127;

// The word of the first record of the file at `path` whose first three integers are
// (bankMsb, bankLsb, program + 1), `program` being a program change's data byte; empty when there
// is none, when program is kNoProgram (a track without a program change has no key), when the
// file cannot be read, or when a record's integers cannot be read before a match.
// Integers are read as the C library reads "%d" from a stream (white space, optional sign,
// digits); one outside the 32-bit range is read whole and equals no key. A word longer than
// kInstrumentNameBytes is cut to the whole code page 932 characters that fit in it.
std::string LookupInstrumentName(const std::string& path, std::int32_t bankMsb, std::int32_t bankLsb,
                                 std::int32_t program);

// startFolder immediately followed by the device name and "_instruments.ini" (no separator is
// added: a folder ending in "\" puts the file in it); empty when that would be longer than
// kDeviceNamesPathLimit (then no per-device file is looked for).
std::string DeviceNamesPath(std::string_view startFolder, std::string_view deviceName);

// The name shown: the per-device file decides alone when it exists (a missing key there, or a
// file that cannot be opened, shows an empty name); otherwise instruments.ini's. `devicePath` empty: no per-device file. A file is
// opened anew each time it is read; nothing is cached.
std::string InstrumentNameFor(const std::string& instrumentsPath, const std::string& devicePath,
                              std::int32_t bankMsb, std::int32_t bankLsb, std::int32_t program);

}  // namespace solvena
