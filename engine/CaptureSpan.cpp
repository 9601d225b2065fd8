#include "engine/CaptureSpan.h"

#include <algorithm>
#include <array>

namespace solvena {

namespace {

constexpr std::size_t kSilenceChunk = 4096;

}  // namespace

void CaptureSpan::Start(std::uint16_t blockAlign, std::uint8_t silence) {
    *this = CaptureSpan{};
    blockAlign_ = blockAlign == 0 ? 1 : blockAlign;
    silence_ = silence;
}

void CaptureSpan::From(std::uint64_t frame) { first_ = frame * blockAlign_; }

void CaptureSpan::Until(std::uint64_t frame) { end_ = frame * blockAlign_; }

void CaptureSpan::Emit(std::uint64_t clock, const std::uint8_t* bytes, std::uint64_t count, const Write& write) {
    if (!first_) return;
    // A start placed behind what was already delivered writes from what comes next.
    const std::uint64_t from = std::max(clock, *first_);
    const std::uint64_t to = std::min(clock + count, end_.value_or(clock + count));
    if (to <= from) return;
    if (bytes != nullptr) {
        write(bytes + (from - clock), static_cast<std::uint32_t>(to - from));
        return;
    }
    std::array<std::uint8_t, kSilenceChunk> silence;
    silence.fill(silence_);
    // Whole frames a piece, so a file cut short still ends on one.
    const std::uint64_t piece = kSilenceChunk / blockAlign_ * blockAlign_;
    for (std::uint64_t at = from; at < to; at += piece) {
        write(silence.data(), static_cast<std::uint32_t>(std::min(piece, to - at)));
    }
}

void CaptureSpan::Take(std::span<const std::uint8_t> bytes, const Write& write) {
    std::uint64_t ahead = bytes.size();
    if (holdAt_) ahead = std::min<std::uint64_t>(ahead, *holdAt_ > delivered_ ? *holdAt_ - delivered_ : 0);
    Emit(delivered_ + gapBytes_, bytes.data(), ahead, write);
    held_.insert(held_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(ahead), bytes.end());
    delivered_ += bytes.size();
}

void CaptureSpan::OpenGap(std::uint64_t deliveredFrame) {
    if (holdAt_) return;
    holdAt_ = std::max(deliveredFrame * blockAlign_, delivered_);
}

void CaptureSpan::CloseGap(std::uint64_t frames, const Write& write) {
    if (!holdAt_) return;
    const std::uint64_t at = *holdAt_ + gapBytes_;
    Emit(at, nullptr, frames * blockAlign_, write);
    gapBytes_ += frames * blockAlign_;
    Emit(at + frames * blockAlign_, held_.data(), held_.size(), write);
    std::vector<std::uint8_t>().swap(held_);
    holdAt_.reset();
}

}  // namespace solvena
