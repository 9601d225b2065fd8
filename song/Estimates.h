// What a job is expected to take: seconds, a minutes:seconds text and a size in MB.
#pragma once

#include <cstdint>
#include <string>

#include "song/Song.h"

namespace solvena {

std::int32_t ExpectedSeconds(const Song& song, std::uint32_t startTick, std::uint32_t endTick,
                             std::int32_t reverbSeconds);
// "m:ss"; a negative time (an end bar without a bar line) is shown as "-m:ss".
std::string TimeText(std::int32_t expectedSeconds);
// Whole megabytes followed by "MB"; a negative time gives "0MB".
std::string SizeText(std::int32_t sampleRate, std::int32_t expectedSeconds, std::int32_t bitsPerSample,
                     std::int32_t channels);

}  // namespace solvena
