// Packing a trimmed stream into records for the MIDI stream service: 32,768-byte fills of
// little-endian MIDIEVENT records, played through eight stream buffers one at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/DeviceSeam.h"

namespace solvena {

constexpr std::size_t kStreamBufferCount = 8;
constexpr std::uint32_t kStreamBufferSize = 32768;
constexpr std::uint32_t kSysExScratchSize = 1024;
// A stream needing more fills than this (half a gigabyte of records) is not played.
constexpr std::size_t kMaxStreamFills = 16384;

// MIDIEVENT layout: three 32-bit words, then a long message's bytes padded to whole words.
constexpr std::uint32_t kRecordDeltaOffset = 0;
constexpr std::uint32_t kRecordStreamIdOffset = 4;
constexpr std::uint32_t kRecordEventOffset = 8;
constexpr std::uint32_t kRecordHeaderSize = 12;

// Event words: type in the top byte, the long and callback flags in its top two bits.
constexpr std::uint32_t kMevtShortMsg = 0x00000000;
constexpr std::uint32_t kMevtTempo = 0x01000000;
constexpr std::uint32_t kMevtNop = 0x02000000;
constexpr std::uint32_t kMevtLongMsg = 0x80000000;  // long message type with the long flag
constexpr std::uint32_t kMevtFLong = 0x80000000;
constexpr std::uint32_t kMevtFCallback = 0x40000000;
constexpr std::uint32_t kBufferClosingNop = kMevtNop | kMevtFCallback;
constexpr std::uint32_t kMevtValueMask = 0x00FFFFFF;
constexpr std::uint32_t kMevtTypeMask = 0x3F000000;  // the type byte without the two flags

constexpr bool IsShortMessageRecord(std::uint32_t event) {
    return (event & kMevtFLong) == 0 && (event & kMevtTypeMask) == kMevtShortMsg;
}
constexpr bool IsTempoRecord(std::uint32_t event) {
    return (event & kMevtFLong) == 0 && (event & kMevtTypeMask) == kMevtTempo;
}

// Size of a long message's record: the words plus its n bytes padded to a multiple of four.
constexpr std::uint32_t LongRecordSize(std::uint32_t n) { return kRecordHeaderSize + (n + 3) / 4 * 4; }

// The header the device is handed with a buffer (the system's MIDIHDR layout).
using StreamHeader = devices::MidiHeader;

struct StreamBuffer {
    StreamHeader header;
    std::vector<std::uint8_t> block;  // kStreamBufferSize bytes
};

// One buffer's worth of packed records.
struct StreamFill {
    std::vector<std::uint8_t> bytes;  // kStreamBufferSize bytes, zero after bytesRecorded
    std::uint32_t bytesRecorded = 0;
};

enum class StreamBuildResult {
    built,       // at least one record; every fill ends with a flagged record
    empty,       // nothing in range: nothing to play, so the job has to be skipped
    cannotPlay,  // more than kMaxStreamFills fills
};

// Process-wide state of the run's stream (one job at a time). streamBufferIndex is the fill
// being built during the build and the fill being played during playback.
extern std::array<StreamBuffer, kStreamBufferCount> streamBuffers;
extern std::vector<StreamFill> streamFills;
extern std::uint32_t streamBufferIndex;
extern std::uint32_t callbacksExpected;
extern std::uint32_t callbacksReceived;

// Turns every event of the first `length` bytes of a trimmed stream into one record, packs
// the records into as many fills as they need and puts the first eight fills into the
// stream buffers. callbacksExpected counts the flagged records of all fills.
StreamBuildResult BuildStreamBuffers(std::span<const std::uint8_t> stream, std::size_t length);

std::size_t StreamFillCount();
// The buffer that plays fill `fillIndex` (buffer fillIndex % 8). A fill past the first eight
// is copied into it first, so call this only once that buffer's previous fill has played and
// the buffer has been given back by the device. nullptr when there is no such fill.
StreamBuffer* BufferForFill(std::size_t fillIndex);

// Frees the buffers and fills and clears the counters.
void ReleaseStreamBuffers();

struct StreamRecord {
    std::uint32_t delta = 0;
    std::uint32_t streamId = 0;
    std::uint32_t event = 0;
    std::vector<std::uint8_t> params;  // a long message's bytes with their padding
};

// Reads records back from a fill's recorded bytes. False when the bytes end inside a record
// (the whole records before it are still returned).
bool DecodeStreamRecords(std::span<const std::uint8_t> bytes, std::vector<StreamRecord>& records);

}  // namespace solvena
