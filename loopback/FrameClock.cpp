#include "loopback/FrameClock.h"

#include <algorithm>
#include <cmath>

namespace solvena::devices {

FrameClock::FrameClock(double start, std::uint32_t rate, const DeviceClock& device)
    : start_(start), ticksPerSecond_(rate * (1 + device.ppm / 1e6)) {
    for (const Dropout& dropout : device.dropouts) {
        const TickRange range{TicksBefore(start + dropout.at), TicksBefore(start + dropout.at + dropout.length)};
        if (range.first < range.end) dropped_.push_back(range);
    }
    std::sort(dropped_.begin(), dropped_.end(),
              [](const TickRange& a, const TickRange& b) { return a.first < b.first; });
    // Overlapping and touching ranges become one, so a tick is skipped once however many cover it.
    std::vector<TickRange> merged;
    for (const TickRange& range : dropped_) {
        if (!merged.empty() && range.first <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, range.end);
        } else {
            merged.push_back(range);
        }
    }
    dropped_ = std::move(merged);
}

double FrameClock::TickTime(std::uint64_t tick) const {
    return start_ + static_cast<double>(tick) / ticksPerSecond_;
}

std::uint64_t FrameClock::TicksBefore(double time) const {
    if (time <= start_) return 0;
    // The estimate is corrected against TickTime itself, which is what rendering uses.
    auto ticks = static_cast<std::uint64_t>(std::ceil((time - start_) * ticksPerSecond_));
    while (ticks > 0 && TickTime(ticks - 1) >= time) --ticks;
    while (TickTime(ticks) < time) ++ticks;
    return ticks;
}

double FrameClock::Time(std::uint64_t frame) const {
    std::uint64_t tick = frame;
    for (const TickRange& range : dropped_) {
        if (tick < range.first) break;
        tick += range.end - range.first;
    }
    return TickTime(tick);
}

std::uint64_t FrameClock::FramesBefore(double now) const {
    const std::uint64_t ticks = TicksBefore(now);
    std::uint64_t dropped = 0;
    for (const TickRange& range : dropped_) {
        if (range.first >= ticks) break;
        dropped += std::min(range.end, ticks) - range.first;
    }
    return ticks - dropped;
}

}  // namespace solvena::devices
