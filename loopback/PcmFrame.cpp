#include "loopback/PcmFrame.h"

#include <algorithm>
#include <cmath>

namespace solvena::devices {

bool PcmFrameSupported(std::uint16_t bitsPerSample, std::uint16_t channels) {
    const bool depth = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
    return depth && (channels == 1 || channels == 2);
}

std::int64_t PcmSampleValue(double value, std::uint16_t bitsPerSample) {
    const double v = std::clamp(value, -1.0, 1.0);
    switch (bitsPerSample) {
    case 8: return std::llround(v * 127.0) + 128;
    case 16: return std::llround(v * 32767.0);
    case 24: return std::llround(v * 8388607.0);
    case 32: return std::llround(v * 2147483647.0);
    default: return 0;
    }
}

void WritePcmFrame(double value, std::uint16_t bitsPerSample, std::uint16_t channels, std::span<std::uint8_t> out) {
    if (!PcmFrameSupported(bitsPerSample, channels)) return;
    const std::size_t sampleBytes = bitsPerSample / 8u;
    if (out.size() < sampleBytes * channels) return;
    // Two's complement little-endian: the low bytes of the 64-bit value are the sample's bytes.
    const auto bits = static_cast<std::uint64_t>(PcmSampleValue(value, bitsPerSample));
    for (std::size_t channel = 0; channel < channels; ++channel) {
        for (std::size_t byte = 0; byte < sampleBytes; ++byte) {
            out[channel * sampleBytes + byte] = static_cast<std::uint8_t>(bits >> (8 * byte));
        }
    }
}

}  // namespace solvena::devices
