// The stream a run would send for a job, as members of songdump's "job" object.
#pragma once

#include <cstdint>
#include <span>

#include "song/Song.h"
#include "tools/songdump/Json.h"

namespace solvena {

// Builds the job's stream exactly as a run does and adds mergedLength, trimmedLength, fits,
// callbacksExpected and every fill's records in play order.
void AddStreamMembers(Json& json, const Song& song, const TrackTable& tracks, std::uint32_t startTick,
                      std::uint32_t endTick, std::span<const std::uint32_t> selectedTracks);

}  // namespace solvena
