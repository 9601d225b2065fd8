// libFuzzer target: a job's whole stream build (merge, trim, pack) on arbitrary track bytes
// and an arbitrary range, checking the packed records against the trimmed stream.
//
// Input: byte 0 chooses the range's form (bits 0-3) and how often each track's bytes repeat
// (bits 4-5: 1, 16, 128 or 1024 times, up to 16 KiB, so that streams of many fills are
// reached), bytes 1-2 the start tick, bytes 3-4 the end tick (big-endian), byte 5 the track
// count (low 2 bits, plus one) and switches tracks off (bits 2-5); the rest is split evenly
// into the tracks.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "engine/JobStream.h"
#include "engine/StreamBuffers.h"
#include "engine/StreamMerge.h"
#include "song/EventPrimitives.h"
#include "song/Song.h"

namespace {

using namespace solvena;

struct StreamSummary {
    std::size_t events = 0;
    std::uint64_t ticks = 0;
};

// The trimmed stream must be whole events, each with its own status byte.
StreamSummary CheckTrimmed(Bytes stream) {
    StreamSummary sum;
    const auto end = static_cast<ByteIndex>(stream.size());
    ByteIndex i = 0;
    while (i < end) {
        runningStatus = 0;
        const ByteIndex e = EventLastIndex(stream, i);
        if (e < i || e >= end) __builtin_trap();
        if (ByteAt(stream, EventStatusIndex(stream, i)) < 0x80) __builtin_trap();
        if (ClassifyEvent(stream, i) == EventKind::kEndOfTrack) __builtin_trap();
        sum.ticks += ReadDeltaTime(stream, i);
        ++sum.events;
        i = e + 1;
    }
    return sum;
}

// Every fill ends with its one flagged record, and the records carry the stream's time.
void CheckFills(const StreamSummary& trimmed) {
    std::uint64_t flagged = 0;
    std::uint64_t ticks = 0;
    std::size_t records = 0;
    std::vector<StreamRecord> decoded;
    for (std::size_t f = 0; f < streamFills.size(); ++f) {
        const StreamFill& fill = streamFills[f];
        if (fill.bytes.size() != kStreamBufferSize || fill.bytesRecorded == 0 || fill.bytesRecorded > kStreamBufferSize)
            __builtin_trap();
        static const std::vector<std::uint8_t> zeros(kStreamBufferSize, 0);
        if (std::memcmp(fill.bytes.data() + fill.bytesRecorded, zeros.data(), kStreamBufferSize - fill.bytesRecorded) != 0)
            __builtin_trap();
        if (!DecodeStreamRecords(std::span<const std::uint8_t>(fill.bytes.data(), fill.bytesRecorded), decoded))
            __builtin_trap();
        for (std::size_t r = 0; r < decoded.size(); ++r) {
            const StreamRecord& rec = decoded[r];
            const bool isFlagged = (rec.event & kMevtFCallback) != 0;
            if (isFlagged != (r + 1 == decoded.size()) || rec.streamId != 0) __builtin_trap();
            if (rec.event & kMevtFLong) {
                const std::uint32_t n = rec.event & kMevtValueMask;
                if (n == 0 || (rec.params[0] != 0xF0 && rec.params[0] != 0xF7)) __builtin_trap();
                for (std::size_t k = n; k < rec.params.size(); ++k)
                    if (rec.params[k] != 0) __builtin_trap();
            }
            flagged += isFlagged ? 1 : 0;
            ticks += rec.delta;
        }
        records += decoded.size();
        if (f < kStreamBufferCount) {
            const StreamHeader& h = streamBuffers[f].header;
            if (h.data != streamBuffers[f].block.data() || h.bytesRecorded != fill.bytesRecorded ||
                h.bufferLength != kStreamBufferSize)
                __builtin_trap();
            if (std::memcmp(h.data, fill.bytes.data(), fill.bytesRecorded) != 0) __builtin_trap();
        }
    }
    if (flagged != callbacksExpected || ticks != trimmed.ticks || records < trimmed.events) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Song song;
    static TrackTable tracks;
    if (size < 6) return 0;

    const std::uint8_t form = data[0];
    std::int32_t startTick = data[1] << 8 | data[2];
    std::int32_t endTick = data[3] << 8 | data[4];
    if (form & 1) endTick = std::numeric_limits<std::int32_t>::max();
    if (form & 2) startTick = -startTick;
    if (form & 4) endTick = -endTick;
    if (form & 8) startTick = 0;

    constexpr std::size_t kRepeats[] = {1, 16, 128, 1024};
    constexpr std::size_t kMaxRepeatedTrack = 16384;
    const std::size_t repeats = kRepeats[(form >> 4) & 3u];
    const std::size_t count = (data[5] & 3u) + 1;
    std::uint8_t enabled[kMaxTracks] = {};
    for (std::size_t t = 0; t < count; ++t) enabled[t] = (data[5] >> (2 + t)) & 1u ? 0 : 1;

    const std::span<const std::uint8_t> rest(data + 6, size - 6);
    const std::size_t part = rest.size() / count;
    song.trackCount = static_cast<std::uint32_t>(count);
    song.division = 480;
    std::size_t total = 0;
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t len = t + 1 == count ? rest.size() - part * t : part;
        const auto first = rest.begin() + static_cast<std::ptrdiff_t>(part * t);
        // Exactly the track's bytes, so that nothing can lean on zero padding behind them.
        std::vector<std::uint8_t>& bytes = tracks[t].data;
        bytes.assign(first, first + static_cast<std::ptrdiff_t>(len));
        for (std::size_t r = 1; r < repeats && bytes.size() + len <= kMaxRepeatedTrack; ++r)
            bytes.insert(bytes.end(), first, first + static_cast<std::ptrdiff_t>(len));
        tracks[t].length = static_cast<std::uint32_t>(bytes.size());
        total += bytes.size();
    }

    // The job's one-pass merge must give the bytes of merging its tracks one by one.
    static MergeBuffer oneByOne;
    oneByOne.assign(kMergeBufferSize, 0);
    std::size_t oneByOneLength = 0;
    for (std::size_t t = 0; t < count; ++t) {
        if (enabled[t] == 1) oneByOneLength = MergeTrack(oneByOne, oneByOneLength, tracks[t].data, tracks[t].length);
    }
    // A merged event is at most its source bytes plus a status byte and a longer delta.
    if (oneByOneLength > 6 * total + 8) __builtin_trap();
    const std::size_t trimmedOneByOne = TrimToRange(oneByOne, startTick, endTick, oneByOneLength);

    const JobStreamInfo info = BuildJobStream(song, tracks, startTick, endTick, enabled);
    if (info.mergedLength != oneByOneLength || info.trimmedLength != trimmedOneByOne) __builtin_trap();
    if (mergedLength != info.trimmedLength || mergeBuffer.size() < mergedLength) __builtin_trap();
    if (mergedLength > 0 && std::memcmp(mergeBuffer.data(), oneByOne.data(), mergedLength) != 0) __builtin_trap();

    const StreamSummary trimmed = CheckTrimmed(Bytes(mergeBuffer.data(), mergedLength));
    switch (info.result) {
        case StreamBuildResult::empty:
            if (info.trimmedLength != 0 || !streamFills.empty() || callbacksExpected != 0) __builtin_trap();
            break;
        case StreamBuildResult::built:
            if (info.trimmedLength == 0 || streamFills.empty()) __builtin_trap();
            CheckFills(trimmed);
            break;
        case StreamBuildResult::cannotPlay:
            __builtin_trap();  // inputs this small always fit
    }
    return 0;
}
