// The song model and a job's estimates as songdump's JSON.
#pragma once

#include <cstdint>
#include <span>

#include "song/Song.h"
#include "tools/songdump/Json.h"

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

// Adds the song's members (header values, title, tracks, conductor, end bar) to the object.
void AddSongMembers(Json& json, const Song& song, const TrackTable& tracks);

// The "job" object. The selected tracks are what a job records; the stream that a run would
// build from them belongs in this object too.
Json JobJson(const JobRequest& job, const Song& song, const TrackTable& tracks,
             std::span<const std::uint32_t> selectedTracks);

}  // namespace solvena
