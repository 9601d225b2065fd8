// The delays measured for pairs of devices, kept in "delays.ini" in the start folder, so that
// every job on a measured pair starts its file on what the sound module played at its start tick.
//
// The file is text in code page 932, one line per pair, ended by CR LF (LF alone is read too):
//
//     MIDI OUT device name <TAB> WAVE IN device name <TAB> delay in microseconds
//
// The names are the devices' names as the system reports them, byte for byte (blanks belong to
// them); the delay is a decimal whole number from 0 to 1000000. A line that is not of this form
// is skipped when the file is read, and kept as it stands when a measurement replaces a line.
// The program writes the file only when the user has measured a pair.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solvena {

inline constexpr char kDelaysFileName[] = "delays.ini";
inline constexpr std::uint32_t kMaxPairDelayMicros = 1000000;

struct PairDelay {
    std::string midiOut;
    std::string waveIn;
    std::uint32_t micros = 0;
};

// Whether a line can hold the pair: a name with a TAB, CR or LF in it would never read back.
bool PairFitsALine(const PairDelay& delay);

// The well-formed lines, in file order.
std::vector<PairDelay> ParsePairDelays(std::string_view text);
// The first line of the pair; nothing when the pair was never measured.
std::optional<std::uint32_t> DelayOfPair(const std::vector<PairDelay>& delays, std::string_view midiOut,
                                         std::string_view waveIn);
// The file's text with the pair's line replaced (its first one; later lines of the same pair go),
// or added at the end. Every other line stays as it was.
std::string WithPairDelay(std::string_view text, const PairDelay& delay);

// The file in the start folder (a separator is put in when the folder does not end in one);
// empty without a start folder.
std::string DelaysPath(std::string_view startFolder);
// Any other file the program keeps in its start folder.
std::string StartFolderFile(std::string_view startFolder, std::string_view name);
// The file's delays; none when it is missing or cannot be read.
std::vector<PairDelay> ReadPairDelays(const std::string& path);
// The whole file, empty when there is none; nothing when it is there but cannot be read (or is
// larger than any file the program writes), so that a new line never replaces what it holds.
std::optional<std::string> ReadDelaysText(const std::string& path);

}  // namespace solvena
