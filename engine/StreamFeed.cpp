#include "engine/StreamFeed.h"

#include <algorithm>

#include "engine/StreamBuffers.h"

namespace solvena {

void StreamFeed::Start(std::size_t fillCount) {
    fills_ = fillCount;
    queued_ = finished_ = takenBack_ = 0;
}

std::size_t StreamFeed::InitialFills() const { return std::min(fills_, kStreamBufferCount); }

void StreamFeed::Queued(std::size_t count) { queued_ = std::min(count, fills_); }

void StreamFeed::FillFinished() {
    // A device cannot finish more than it was given.
    if (finished_ < queued_) ++finished_;
}

std::size_t StreamFeed::FinishedBuffer() const { return takenBack_ % kStreamBufferCount; }

std::optional<std::size_t> StreamFeed::TakeBack() {
    if (!HasFinishedBuffer()) return std::nullopt;
    ++takenBack_;
    if (queued_ >= fills_) return std::nullopt;
    // Buffers come back in queue order, so the next fill lands in the buffer just freed.
    return queued_++;
}

}  // namespace solvena
