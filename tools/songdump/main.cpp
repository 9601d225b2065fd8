// songdump: opens a MIDI file the way the main window does and prints the song model
// (and, given a range, the job that stacking it would make) as one JSON object.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "song/MusicalTime.h"
#include "song/Song.h"
#include "song/SongLoader.h"
#include "song/TrackScan.h"
#include "tools/songdump/Args.h"
#include "tools/songdump/Json.h"
#include "tools/songdump/SongJson.h"

namespace solvena {
namespace {

// Large tables: keep them out of main's stack frame.
Song song;
TrackTable tracks;

void Print(const Json& json) {
    const std::string text = JsonText(json);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// What the open command does after a successful load.
void OpenLoadedSong() {
    song.ResetConductor();
    song.title.fill('\0');
    for (TrackInfo& t : tracks) t.selected = 0;
    ScanTracks(song, tracks);
    BuildBarLines(song, tracks);
}

int Run(int argc, const char* const* argv) {
    SongdumpArgs args;
    if (const std::optional<int> status = ParseSongdumpArgs(argc, argv, args)) return *status;

    if (!LoadSong(args.file.c_str(), song, tracks)) {
        Print({{"loaded", false}});
        return 1;
    }
    OpenLoadedSong();

    const std::uint32_t usable = song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks;
    std::vector<std::uint32_t> selected;
    if (args.allTracks) {
        for (std::uint32_t t = 0; t < usable; ++t) selected.push_back(t);
    } else if (args.tracksGiven) {
        for (const std::uint32_t t : args.tracks) {
            if (t >= usable) {
                return BadArgument("--tracks: track " + std::to_string(t) + " is not in the song (" +
                                   std::to_string(song.trackCount) + " tracks)");
            }
        }
        selected = args.tracks;
    } else if (usable > 0) {
        selected.push_back(0);  // the open command selects track 0
    }
    for (const std::uint32_t t : selected) tracks[t].selected = 1;

    Json json = {{"loaded", true}};
    AddSongMembers(json, song, tracks);
    if (args.range != RangeKind::kNone) {
        JobRequest job = args.job;
        if (args.range == RangeKind::kBars) {
            job.startTick = BarToTick(args.startBar, song);
            job.endTick = BarToTick(args.endBar, song);
        }
        json["job"] = JobJson(job, song, tracks, selected);
    }
    Print(json);
    return 0;
}

}  // namespace
}  // namespace solvena

int main(int argc, char** argv) {
    // Nothing is expected to throw past the parser (which reports its own errors); should
    // anything else fail, say what and leave with a status of its own rather than abort.
    try {
        return solvena::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "songdump: %s\n", e.what());
        return 3;
    }
}
