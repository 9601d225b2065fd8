#include "engine/LevelMeter.h"

#include <cmath>
#include <limits>

namespace solvena {

bool IsSilent(const RecordingLevels& levels) { return levels.peakDbfs < kSilentPeakDbfs; }

bool IsClipped(const RecordingLevels& levels) { return levels.clipped > 0; }

void LevelMeter::Start(std::uint16_t bitsPerSample) {
    bytesPerSample_ = bitsPerSample >= 8 && bitsPerSample <= 32 ? (bitsPerSample + 7u) / 8u : 2u;
    partialCount_ = 0;
    peak_ = 0;
    clipped_ = 0;
    samples_ = 0;
}

std::uint64_t SampleMagnitude(const std::uint8_t* sample, unsigned bytesPerSample) {
    std::int64_t value = 0;
    if (bytesPerSample == 1) {
        value = static_cast<std::int64_t>(sample[0]) - 128;
    } else {
        std::uint64_t raw = 0;
        for (unsigned i = 0; i < bytesPerSample; ++i) raw |= static_cast<std::uint64_t>(sample[i]) << (8 * i);
        const std::uint64_t sign = std::uint64_t{1} << (8 * bytesPerSample - 1);
        value = static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
    }
    return static_cast<std::uint64_t>(value < 0 ? -value : value);
}

void LevelMeter::Measure(const std::uint8_t* sample) {
    const std::uint64_t magnitude = SampleMagnitude(sample, bytesPerSample_);
    if (magnitude > peak_) peak_ = magnitude;
    // The most positive code and its mirror (and the one below it) are where a converter clips.
    const std::uint64_t fullScale = (std::uint64_t{1} << (8 * bytesPerSample_ - 1)) - 1;
    if (magnitude >= fullScale) ++clipped_;
    ++samples_;
}

void LevelMeter::Add(const std::uint8_t* bytes, std::size_t count) {
    std::size_t at = 0;
    while (partialCount_ > 0 && at < count) {
        partial_[partialCount_++] = bytes[at++];
        if (partialCount_ == bytesPerSample_) {
            Measure(partial_.data());
            partialCount_ = 0;
        }
    }
    for (; at + bytesPerSample_ <= count; at += bytesPerSample_) Measure(bytes + at);
    while (at < count) partial_[partialCount_++] = bytes[at++];
}

RecordingLevels LevelMeter::Levels() const {
    RecordingLevels levels;
    levels.clipped = clipped_;
    levels.samples = samples_;
    const double fullScale = std::ldexp(1.0, static_cast<int>(8 * bytesPerSample_ - 1));
    levels.peakDbfs = peak_ == 0 ? -std::numeric_limits<double>::infinity()
                                 : 20.0 * std::log10(static_cast<double>(peak_) / fullScale);
    return levels;
}

}  // namespace solvena
