#include "engine/CaptureSpan.h"

#include <algorithm>

namespace solvena {

void CaptureSpan::Start(std::uint16_t blockAlign) {
    blockAlign_ = blockAlign == 0 ? 1 : blockAlign;
    delivered_ = 0;
    first_.reset();
    end_.reset();
}

void CaptureSpan::From(std::uint64_t frame) { first_ = frame * blockAlign_; }

void CaptureSpan::Until(std::uint64_t frame) { end_ = frame * blockAlign_; }

BytesToWrite CaptureSpan::Take(std::uint32_t count) {
    const std::uint64_t begin = delivered_;
    delivered_ += count;
    if (!first_) return {};
    // A start placed behind what was already delivered writes from what comes next.
    const std::uint64_t from = std::max(begin, *first_);
    const std::uint64_t to = std::min(delivered_, end_.value_or(delivered_));
    if (to <= from) return {};
    return {static_cast<std::uint32_t>(from - begin), static_cast<std::uint32_t>(to - from)};
}

}  // namespace solvena
