#include "engine/RecordingStart.h"

#include <cmath>
#include <vector>

namespace solvena {

double StreamSecondsToTick(std::span<const StreamFill> fills, std::uint32_t division, std::uint64_t tick) {
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
    // Past the last record the stream has nothing more to say about its tempo.
    return seconds + static_cast<double>(tick - at) * tempo / quarter;
}

std::uint64_t FrameAfter(std::uint64_t anchor, double seconds, std::uint32_t rate) {
    if (seconds <= 0) return anchor;
    return anchor + static_cast<std::uint64_t>(std::llround(seconds * rate));
}

}  // namespace solvena
