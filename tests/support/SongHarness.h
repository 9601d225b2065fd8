// A song with its own track table, loaded and scanned the way the open command does it.
#pragma once

#include <memory>

#include "song/Song.h"
#include "song/SongLoader.h"
#include "song/TrackScan.h"
#include "support/MidiBuilder.h"

namespace solvena::test {

struct SongHarness {
    Song song;
    std::unique_ptr<TrackTable> tracksOwner = std::make_unique<TrackTable>();
    TrackTable& tracks = *tracksOwner;

    bool Load(const ByteVec& file) { return LoadSongFromBytes(file, song, tracks); }

    // Load, then scan into a fresh conductor list and an empty title.
    bool LoadAndScan(const ByteVec& file) {
        if (!Load(file)) return false;
        song.ResetConductor();
        song.title.fill('\0');
        ScanTracks(song, tracks);
        return true;
    }

    ~SongHarness() { ReleaseTrackBuffers(tracks); }
};

}  // namespace solvena::test
