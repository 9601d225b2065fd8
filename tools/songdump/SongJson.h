// The song model and a job's estimates as songdump's JSON.
#pragma once

#include <cstdint>
#include <span>

#include "song/Song.h"
#include "tools/songdump/JobRequest.h"
#include "tools/songdump/Json.h"

namespace solvena {

// Adds the song's members (header values, title, tracks, conductor, end bar) to the object.
void AddSongMembers(Json& json, const Song& song, const TrackTable& tracks);

// The "job" object. The selected tracks are what a job records; the stream that a run would
// build from them belongs in this object too.
Json JobJson(const JobRequest& job, const Song& song, const TrackTable& tracks,
             std::span<const std::uint32_t> selectedTracks);

}  // namespace solvena
