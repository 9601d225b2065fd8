// When each frame of a loopback capture was sampled on the studio clock. Every part of the studio
// asks this one object, so a capture rendered in pieces samples exactly the instants one long
// render would, and the position a device reports counts exactly the frames it has delivered.
//
// The device's sample clock ticks rate × (1 + ppm / 1e6) times per studio second from its first
// frame at `start`: tick n is sampled at start + n / (rate × (1 + ppm / 1e6)). A dropout is a
// stretch of studio time, counted from the first frame, in which the device captures nothing:
// the ticks that fall in it are never delivered, and the frames after it keep their true times.
// Delivered frame k is the k-th tick outside every dropout. Dropouts may come in any order and
// may overlap; overlapping ones count as their union.
#pragma once

#include <cstdint>
#include <vector>

namespace solvena::devices {

struct Dropout {
    double at = 0;      // seconds after the first frame
    double length = 0;  // seconds
};

// What a device's own clock does, against the studio's.
struct DeviceClock {
    double ppm = 0;  // parts per million fast; slow when negative
    std::vector<Dropout> dropouts;
};

class FrameClock {
public:
    FrameClock() = default;
    FrameClock(double start, std::uint32_t rate, const DeviceClock& device = {});

    // The studio time of delivered frame `frame`.
    double Time(std::uint64_t frame) const;
    // How many frames the device has delivered before `now`: the first one not due before it.
    std::uint64_t FramesBefore(double now) const;
    double Start() const { return start_; }

private:
    struct TickRange {
        std::uint64_t first = 0;
        std::uint64_t end = 0;
    };

    double TickTime(std::uint64_t tick) const;
    // The first tick not sampled before `time`.
    std::uint64_t TicksBefore(double time) const;

    double start_ = 0;
    double ticksPerSecond_ = 1;
    std::vector<TickRange> dropped_;  // in order, apart from each other
};

}  // namespace solvena::devices
