#include "engine/CaptureLimits.h"

#include <algorithm>

namespace solvena {

namespace {

// RIFF size = the header less "RIFF" and the size itself + data + pad + what follows the data.
constexpr std::uint64_t kRiffSizeOverhead = kWavHeaderBytes - 8;
constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFu;

std::uint64_t FrameBytes(std::uint16_t blockAlign) { return blockAlign == 0 ? 1 : blockAlign; }

}  // namespace

std::uint32_t CaptureBufferBytes(std::uint32_t rate, std::uint16_t blockAlign) {
    const std::uint64_t frames = std::max<std::uint64_t>((std::uint64_t{rate} * kCaptureBufferMs + 999) / 1000, 1);
    return static_cast<std::uint32_t>(frames * FrameBytes(blockAlign));
}

std::uint64_t MaxWavDataBytes(std::uint16_t blockAlign, std::uint64_t trailer) {
    if (kRiffSizeOverhead + trailer >= kMaxRiffSize) return 0;
    // An even size needs no pad byte; the largest even one is also the largest with a pad.
    const std::uint64_t even = (kMaxRiffSize - kRiffSizeOverhead - trailer) & ~std::uint64_t{1};
    const std::uint64_t frame = FrameBytes(blockAlign);
    return even / frame * frame;
}

std::uint32_t WavBytesToAppend(std::uint64_t written, std::uint32_t offered, std::uint16_t blockAlign,
                               std::uint64_t trailer) {
    const std::uint64_t limit = MaxWavDataBytes(blockAlign, trailer);
    if (written >= limit) return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(offered, limit - written));
}

std::uint64_t DeclarableDataBytes(std::uint64_t written, std::uint16_t blockAlign) {
    std::uint64_t frame = FrameBytes(blockAlign);
    if (frame % 2 != 0) frame *= 2;
    return written / frame * frame;
}

}  // namespace solvena
