// What stacking would put into a job, as far as songdump reports it: the command line fills it
// (the range in ticks once bars are resolved against the song) and the "job" object shows it.
#pragma once

#include <cstdint>

namespace solvena {

struct JobRequest {
    std::uint32_t startTick = 0;
    std::uint32_t endTick = 0;
    std::int32_t reverbSeconds = 0;
    std::int32_t sampleRate = 44100;
    std::int32_t bitsPerSample = 16;
    std::int32_t channels = 2;
};

}  // namespace solvena
