// Command line of songdump:
//   songdump FILE [--tracks LIST] [--start-bar N --end-bar N | --start-tick N --end-tick N]
//                 [--reverb S] [--rate HZ] [--bits B] [--channels C]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/songdump/JobRequest.h"

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
    JobRequest job;  // its ticks are set only for a range in ticks
};

// Reads the command line into args. Returns the exit status when the run ends here: 0 after
// --help, 2 for a command line that is not usable (the reason is then on stderr). Track numbers
// are checked against the 64-entry table here; against the song's track count only once the song
// is loaded.
std::optional<int> ParseSongdumpArgs(int argc, const char* const* argv, SongdumpArgs& args);

// Writes a bad argument's message to stderr the way the parser does; returns exit status 2.
int BadArgument(const std::string& message);

}  // namespace solvena
