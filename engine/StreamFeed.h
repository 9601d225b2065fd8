// Which stream buffer comes back next and which fill goes into it. Up to eight buffers are in
// the device at once, so the device never waits for the user-interface thread between buffers;
// each position notification says that the oldest queued fill has finished playing.
#pragma once

#include <cstddef>
#include <optional>

namespace solvena {

class StreamFeed {
public:
    // A new job's stream of `fillCount` fills; nothing queued yet.
    void Start(std::size_t fillCount);

    // How many fills the start queues: min(8, fills), fill i in buffer i.
    std::size_t InitialFills() const;
    // The start has queued them (or as many as the device took).
    void Queued(std::size_t count);

    // A position notification: the oldest fill still in the device has finished.
    void FillFinished();

    // A finished buffer waits to be taken back from the device.
    bool HasFinishedBuffer() const { return takenBack_ < finished_; }
    // Its index among the eight buffers.
    std::size_t FinishedBuffer() const;
    // It has been taken back: the fill to load into it and queue, when fills remain. The caller
    // queues it at once, into the same buffer.
    std::optional<std::size_t> TakeBack();
    // Fills wait to be queued: the buffer taken back next is refilled.
    bool Refills() const { return queued_ < fills_; }

    std::size_t fills() const { return fills_; }
    std::size_t queued() const { return queued_; }

private:
    std::size_t fills_ = 0;
    std::size_t queued_ = 0;
    std::size_t finished_ = 0;
    std::size_t takenBack_ = 0;
};

}  // namespace solvena
