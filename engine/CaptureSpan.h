// Which of the bytes a capture delivers go into the WAV file: those of the frames from the one
// on which the job's music starts, up to an end when one is set. The device delivers frames from
// its start on, long before the music, so the place of the file's first frame is known only once
// the stream has started; everything delivered until then lies before it.
#pragma once

#include <cstdint>
#include <optional>

namespace solvena {

// A run of delivered bytes to write: `count` bytes from `offset` in the delivered piece.
struct BytesToWrite {
    std::uint32_t offset = 0;
    std::uint32_t count = 0;

    bool operator==(const BytesToWrite&) const = default;
};

class CaptureSpan {
public:
    // A new capture of `blockAlign`-byte frames: nothing is written until From says where the file
    // begins.
    void Start(std::uint16_t blockAlign);
    // The file begins at capture frame `frame` (0: the device's first delivered frame).
    void From(std::uint64_t frame);
    // The file ends before capture frame `frame`.
    void Until(std::uint64_t frame);

    // The device has delivered the next `count` bytes: the part of them that belongs in the file.
    BytesToWrite Take(std::uint32_t count);

    bool Placed() const { return first_.has_value(); }
    std::uint64_t DeliveredBytes() const { return delivered_; }
    std::uint64_t DeliveredFrames() const { return delivered_ / blockAlign_; }

private:
    std::uint64_t blockAlign_ = 1;
    std::uint64_t delivered_ = 0;
    std::optional<std::uint64_t> first_;  // in bytes
    std::optional<std::uint64_t> end_;    // in bytes
};

}  // namespace solvena
