// Command line of songdump:
//   songdump FILE [--tracks LIST] [--start-bar N --end-bar N | --start-tick N --end-tick N]
//                 [--reverb S] [--rate HZ] [--bits B] [--channels C]
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace solvena {

enum class RangeKind { kNone, kBars, kTicks };

struct SongdumpArgs {
    std::string file;
    bool allTracks = false;
    bool tracksGiven = false;
    std::vector<std::uint32_t> tracks;  // as given, duplicates removed, ascending
    RangeKind range = RangeKind::kNone;
    std::int32_t startBar = 0;
    std::int32_t endBar = 0;
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
    std::int32_t reverbSeconds = 0;
    std::int32_t sampleRate = 44100;
    std::int32_t bitsPerSample = 16;
    std::int32_t channels = 2;
};

extern const char* const kSongdumpUsage;

// Decimal with an optional sign; the whole text must be the number.
bool ParseInt32(std::string_view text, std::int32_t& value);
// Decimal digits only.
bool ParseUInt32(std::string_view text, std::uint32_t& value);

// False with a one-line reason in error when the command line is not usable.
// Track numbers are checked against the 64-entry table here; against the song's
// track count only once the song is loaded.
bool ParseSongdumpArgs(int argc, const char* const* argv, SongdumpArgs& args, std::string& error);

}  // namespace solvena
