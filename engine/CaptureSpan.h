// Which of the bytes a capture delivers go into the WAV file: those of the frames from the one
// on which the job's music starts, up to an end when one is set. The device delivers frames from
// its start on, long before the music, so the place of the file's first frame is known only once
// the stream has started; everything delivered until then lies before it.
//
// Frames are counted on the device's clock: the frames it delivered, and those of every gap, a
// stretch it never delivered. A gap is filled with silence of its length, so every frame after it
// keeps its place. Its length is known only a little after the device delivers again: from the
// moment a gap opens until it is closed, what the device delivers waits here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace solvena {

class CaptureSpan {
public:
    // Receives the bytes to append to the file, in order.
    using Write = std::function<void(const std::uint8_t* bytes, std::uint32_t count)>;

    // A new capture of `blockAlign`-byte frames whose silent sample is `silence` bytes (0x80 for
    // 8 bits, else 0): nothing is written until From says where the file begins.
    void Start(std::uint16_t blockAlign, std::uint8_t silence = 0);
    // The file begins at frame `frame` of the device's clock (0: its first delivered frame).
    void From(std::uint64_t frame);
    // The file ends before frame `frame` of the device's clock.
    void Until(std::uint64_t frame);

    // The device has delivered `bytes`: the part that belongs in the file is written, or waits
    // while a gap is open.
    void Take(std::span<const std::uint8_t> bytes, const Write& write);
    // The device delivered nothing after its `frame`th delivered frame for a while. Bytes already
    // past it have been written: the gap then opens where the writing stands.
    void OpenGap(std::uint64_t deliveredFrame);
    // The gap lasted `frames` frames (0: there was none): its silence, then what waited.
    void CloseGap(std::uint64_t frames, const Write& write);

    bool Placed() const { return first_.has_value(); }
    bool GapOpen() const { return holdAt_.has_value(); }
    std::uint64_t DeliveredFrames() const { return delivered_ / blockAlign_; }
    // Frames of the device's clock delivered or filled so far.
    std::uint64_t ClockFrames() const { return (delivered_ + gapBytes_) / blockAlign_; }
    // Frames of the device's clock before the file's first frame; 0 until it is placed.
    std::uint64_t FirstFrame() const { return first_.value_or(0) / blockAlign_; }

private:
    // Writes the part of [clock, clock + count) of the device's clock that lies in the file, from
    // `bytes` (or silence when null).
    void Emit(std::uint64_t clock, const std::uint8_t* bytes, std::uint64_t count, const Write& write);

    std::uint64_t blockAlign_ = 1;
    std::uint8_t silence_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t gapBytes_ = 0;
    std::optional<std::uint64_t> first_;   // in bytes of the device's clock
    std::optional<std::uint64_t> end_;     // in bytes of the device's clock
    std::optional<std::uint64_t> holdAt_;  // in delivered bytes
    std::vector<std::uint8_t> held_;
};

}  // namespace solvena
