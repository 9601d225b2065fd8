// Building one job's stream from the song: merge the job's tracks, trim to its range, pack
// the records. The run, songdump and the fuzzer all build a job's stream this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/StreamBuffers.h"
#include "song/Song.h"

namespace solvena {

struct JobStreamInfo {
    std::size_t mergedLength = 0;   // the selected tracks merged
    std::size_t trimmedLength = 0;  // after cutting to the range
    // Stream ticks from the stream's start to the job's start tick: the lead-in.
    std::uint64_t leadInTicks = 0;
    StreamBuildResult result = StreamBuildResult::empty;
};

// Uses the process-wide mergeBuffer and stream buffers: merges track i for every i below the
// song's trackCount whose flag trackEnabled[i] is 1, in track order, then trims and packs.
JobStreamInfo BuildJobStream(const Song& song, const TrackTable& tracks, std::int32_t startTick,
                             std::int32_t endTick, std::span<const std::uint8_t> trackEnabled);

}  // namespace solvena
