// The song model and a job's estimates as songdump's JSON.
#pragma once

#include <cstdint>
#include <span>

#include "song/Song.h"
#include "tools/songdump/JsonWriter.h"

namespace solvena {

// What stacking would put into a job, as far as songdump reports it.
struct JobRequest {
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
    std::int32_t reverbSeconds = 0;
    std::int32_t sampleRate = 44100;
    std::int32_t bitsPerSample = 16;
    std::int32_t channels = 2;
};

// Writes the members of the song object (header values, title, tracks, conductor, end bar)
// into the object the caller has opened.
void WriteSongMembers(JsonWriter& json, const Song& song, const TrackTable& tracks);

// Writes "job": {...}. The selected tracks are what a job records; the stream that a run
// would build from them belongs in this object too.
void WriteJob(JsonWriter& json, const JobRequest& job, const Song& song, const TrackTable& tracks,
              std::span<const std::uint32_t> selectedTracks);

}  // namespace solvena
