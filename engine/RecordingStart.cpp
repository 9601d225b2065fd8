#include "engine/RecordingStart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace solvena {

namespace {

// Seconds from the stream's start to tick `tick`, or to its last record when that comes first.
double SecondsUpTo(std::span<const StreamFill> fills, std::uint32_t division, std::uint64_t tick, bool pastTheEnd) {
    if (division == 0) return 0;
    const double quarter = 1e6 * division;
    double seconds = 0;
    std::uint64_t at = 0;
    std::uint32_t tempo = kStreamDefaultTempo;
    std::vector<StreamRecord> records;
    for (const StreamFill& fill : fills) {
        records.clear();
        DecodeStreamRecords(std::span<const std::uint8_t>(fill.bytes.data(), fill.bytesRecorded), records);
        for (const StreamRecord& record : records) {
            if (at + record.delta > tick) return seconds + static_cast<double>(tick - at) * tempo / quarter;
            seconds += static_cast<double>(record.delta) * tempo / quarter;
            at += record.delta;
            if (IsTempoRecord(record.event)) tempo = record.event & kMevtValueMask;
        }
    }
    // Past the last record the last tempo holds.
    return pastTheEnd ? seconds + static_cast<double>(tick - at) * tempo / quarter : seconds;
}

}  // namespace

double StreamSecondsToTick(std::span<const StreamFill> fills, std::uint32_t division, std::uint64_t tick) {
    return SecondsUpTo(fills, division, tick, true);
}

double StreamLengthSeconds(std::span<const StreamFill> fills, std::uint32_t division) {
    return SecondsUpTo(fills, division, UINT64_MAX, false);
}

std::uint64_t FrameAfter(std::uint64_t anchor, double seconds, std::uint32_t rate) {
    if (seconds <= 0) return anchor;
    return anchor + static_cast<std::uint64_t>(std::llround(seconds * rate));
}

ClockReading LeastLagging(const ClockReading& kept, const ClockReading& next, std::uint32_t rate) {
    if (rate == 0) return kept;
    // Where each look puts the capture's first frame: the earlier one lags less.
    const auto origin = [rate](const ClockReading& r) { return r.ms - static_cast<double>(r.count) * 1000.0 / rate; };
    return origin(next) < origin(kept) ? next : kept;
}

std::optional<double> StreamStartMs(double calledMs, std::span<const ClockReading> readings) {
    std::optional<double> start;
    for (std::size_t i = 1; i < readings.size(); ++i) {
        if (readings[i].count == readings[i - 1].count) continue;
        const double at = readings[i].ms - static_cast<double>(readings[i].count);
        if (!start || at < *start) start = at;
    }
    // The stream plays from the call on, and the call returned before the first look.
    if (start) start = std::clamp(*start, calledMs, std::max(calledMs, readings.front().ms));
    return start;
}

}  // namespace solvena
