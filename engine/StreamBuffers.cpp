#include "engine/StreamBuffers.h"

#include <algorithm>
#include <cstring>

#include "song/EventPrimitives.h"

namespace solvena {

std::array<StreamBuffer, kStreamBufferCount> streamBuffers;
std::vector<StreamFill> streamFills;
std::uint32_t streamBufferIndex = 0;
std::uint32_t callbacksExpected = 0;
std::uint32_t callbacksReceived = 0;

namespace {

void PutWord(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t GetWord(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// A zero header pointing at the block, holding `recorded` bytes of records.
StreamHeader HeaderFor(StreamBuffer& buffer, std::uint32_t recorded) {
    StreamHeader header;
    header.data = buffer.block.data();
    header.bufferLength = kStreamBufferSize;
    header.bytesRecorded = recorded;
    return header;
}

void AllocateStreamBuffers() {
    for (StreamBuffer& b : streamBuffers) {
        b.block.assign(kStreamBufferSize, 0);
        b.header = HeaderFor(b, 0);
    }
}

void LoadFill(StreamBuffer& buffer, const StreamFill& fill) {
    std::memset(buffer.block.data(), 0, buffer.block.size());
    std::memcpy(buffer.block.data(), fill.bytes.data(), fill.bytesRecorded);
    buffer.header = HeaderFor(buffer, fill.bytesRecorded);
}

// The fill that streamBufferIndex points at, opened when the first record goes into it.
class FillPacker {
public:
    bool Full() const { return streamBufferIndex >= kMaxStreamFills; }

    std::uint32_t Level() const {
        return streamBufferIndex < streamFills.size() ? streamFills[streamBufferIndex].bytesRecorded : 0;
    }

    // The caller has checked that the record fits: Level() + 12 + params <= kStreamBufferSize.
    void Append(std::uint32_t delta, std::uint32_t event, const std::uint8_t* params, std::uint32_t paramBytes) {
        if (streamBufferIndex >= streamFills.size()) {
            streamFills.emplace_back();
            streamFills.back().bytes.assign(kStreamBufferSize, 0);
        }
        StreamFill& fill = streamFills[streamBufferIndex];
        std::uint8_t* at = fill.bytes.data() + fill.bytesRecorded;
        PutWord(at + kRecordDeltaOffset, delta);
        PutWord(at + kRecordStreamIdOffset, 0);
        PutWord(at + kRecordEventOffset, event);
        if (paramBytes > 0) std::memcpy(at + kRecordHeaderSize, params, paramBytes);
        fill.bytesRecorded += kRecordHeaderSize + paramBytes;
    }

    void Close() { ++streamBufferIndex; }
};

struct Record {
    std::uint32_t event = kMevtNop;
    std::uint32_t paramBytes = 0;  // padded
};

// The record for the event at p. A long message goes into scratch (grown to the message);
// one whose record could not fit even an empty buffer is sent as a no-op that keeps its delta.
Record MakeRecord(Bytes in, ByteIndex p, ByteIndex s, int kind, std::vector<std::uint8_t>& scratch) {
    Record r;
    if (kind == EventKind::kSysEx || kind == EventKind::kSysExEscape) {
        const std::size_t n = CopySysEx(in, p, {});
        if (n == 0 || n > kStreamBufferSize - kRecordHeaderSize) return r;
        const auto size = LongRecordSize(static_cast<std::uint32_t>(n));
        r.paramBytes = size - kRecordHeaderSize;
        if (scratch.size() < r.paramBytes) scratch.resize(r.paramBytes, 0);
        CopySysEx(in, p, std::span<std::uint8_t>(scratch.data(), n));
        std::fill(scratch.begin() + static_cast<std::ptrdiff_t>(n), scratch.begin() + r.paramBytes, 0);
        r.event = kMevtLongMsg | static_cast<std::uint32_t>(n);
    } else if (kind == EventKind::kTempo) {
        r.event = kMevtTempo | static_cast<std::uint32_t>(ByteAt(in, s + 3)) << 16 |
                  static_cast<std::uint32_t>(ByteAt(in, s + 4)) << 8 | ByteAt(in, s + 5);
    } else if (kind >= 11 && kind <= 79) {
        r.event = kMevtShortMsg | ByteAt(in, s) | static_cast<std::uint32_t>(ByteAt(in, s + 1)) << 8 |
                  static_cast<std::uint32_t>(ByteAt(in, s + 2)) << 16;
    }
    return r;
}

// Sizes the event at index; the stream carries a status byte on every event, so nothing borrows one.
ByteIndex LastIndexOf(Bytes in, ByteIndex index) {
    runningStatus = 0;
    return EventLastIndex(in, index);
}

StreamBuildResult GiveUp() {
    ReleaseStreamBuffers();
    AllocateStreamBuffers();
    return StreamBuildResult::cannotPlay;
}

}  // namespace

StreamBuildResult BuildStreamBuffers(std::span<const std::uint8_t> stream, std::size_t length) {
    streamFills.clear();
    streamBufferIndex = 0;
    callbacksExpected = 0;
    callbacksReceived = 0;
    AllocateStreamBuffers();

    const Bytes in = stream.first(std::min(length, stream.size()));
    const auto end = static_cast<ByteIndex>(in.size());
    if (end == 0) return StreamBuildResult::empty;
    ByteIndex p = 0;
    ByteIndex e = LastIndexOf(in, p);
    if (e < 0) return StreamBuildResult::empty;

    std::vector<std::uint8_t> scratch(kSysExScratchSize, 0);
    FillPacker packer;
    for (;;) {
        const std::uint32_t delta = ReadDeltaTime(in, p);
        const ByteIndex s = EventStatusIndex(in, p);
        const int kind = ClassifyEvent(in, p);
        // An event that cannot be sized ends the stream before it, so the one before is the last.
        const ByteIndex nextLast = e >= end - 1 ? -1 : LastIndexOf(in, e + 1);
        const bool last = nextLast < 0;

        Record r = MakeRecord(in, p, s, kind, scratch);
        const std::uint32_t size = kRecordHeaderSize + r.paramBytes;
        const std::uint32_t level = packer.Level();
        // After a closing record fewer than 12 bytes (one no-op) would be left.
        const bool closes = level + size + kRecordHeaderSize >= kStreamBufferSize;
        const bool flagged = last || closes;
        if (flagged) r.event |= kMevtFCallback;

        if (level + size >= kStreamBufferSize) {
            // Only a long message can miss the room left: the buffer ends here and the
            // message goes alone into the next one.
            if (packer.Full()) return GiveUp();
            packer.Append(0, kBufferClosingNop, nullptr, 0);
            ++callbacksExpected;
            packer.Close();
        }
        if (packer.Full()) return GiveUp();
        packer.Append(delta, r.event, scratch.data(), r.paramBytes);
        if (flagged) ++callbacksExpected;
        if (closes) packer.Close();

        if (last) break;
        p = e + 1;
        e = nextLast;
    }

    for (std::size_t i = 0; i < kStreamBufferCount && i < streamFills.size(); ++i) LoadFill(streamBuffers[i], streamFills[i]);
    return StreamBuildResult::built;
}

std::size_t StreamFillCount() { return streamFills.size(); }

StreamBuffer* BufferForFill(std::size_t fillIndex) {
    if (fillIndex >= streamFills.size()) return nullptr;
    StreamBuffer& buffer = streamBuffers[fillIndex % kStreamBufferCount];
    if (fillIndex >= kStreamBufferCount) LoadFill(buffer, streamFills[fillIndex]);
    return &buffer;
}

void ReleaseStreamBuffers() {
    for (StreamBuffer& b : streamBuffers) {
        std::vector<std::uint8_t>().swap(b.block);
        b.header = StreamHeader{};
    }
    std::vector<StreamFill>().swap(streamFills);
    streamBufferIndex = 0;
    callbacksExpected = 0;
    callbacksReceived = 0;
}

bool DecodeStreamRecords(std::span<const std::uint8_t> bytes, std::vector<StreamRecord>& records) {
    records.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < kRecordHeaderSize) return false;
        StreamRecord r;
        r.delta = GetWord(bytes.data() + at + kRecordDeltaOffset);
        r.streamId = GetWord(bytes.data() + at + kRecordStreamIdOffset);
        r.event = GetWord(bytes.data() + at + kRecordEventOffset);
        std::size_t size = kRecordHeaderSize;
        if (r.event & kMevtFLong) size = LongRecordSize(r.event & kMevtValueMask);
        if (bytes.size() - at < size) return false;
        r.params.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + kRecordHeaderSize),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        records.push_back(std::move(r));
        at += size;
    }
    return true;
}

}  // namespace solvena
