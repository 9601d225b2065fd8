#include "song/Estimates.h"

#include <cstdio>

#include "song/MusicalTime.h"

namespace solvena {

std::int32_t ExpectedSeconds(const Song& song, std::uint32_t startTick, std::uint32_t endTick,
                             std::int32_t reverbSeconds) {
    const std::int32_t playing = SecondsBetween(startTick, endTick, song);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(playing) + static_cast<std::uint32_t>(reverbSeconds));
}

std::string TimeText(std::int32_t expectedSeconds) {
    // A negative time comes from an end bar without a bar line; say so instead of a huge number.
    const bool negative = expectedSeconds < 0;
    const std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(expectedSeconds) : static_cast<std::uint32_t>(expectedSeconds);
    char text[24];
    std::snprintf(text, sizeof text, "%s%u:%02u", negative ? "-" : "", magnitude / 60, magnitude % 60);
    return text;
}

std::string SizeText(std::int32_t sampleRate, std::int32_t expectedSeconds, std::int32_t bitsPerSample,
                     std::int32_t channels) {
    std::uint32_t megabytes = 0;
    if (expectedSeconds >= 0) {
        megabytes = (static_cast<std::uint32_t>(sampleRate) / 1000u) * static_cast<std::uint32_t>(expectedSeconds) *
                    static_cast<std::uint32_t>(bitsPerSample) * static_cast<std::uint32_t>(channels) / 8000u;
    }
    return std::to_string(megabytes) + "MB";
}

}  // namespace solvena
