// Primitives that walk raw track bytes in place, one event at a time. Every read is
// bounds-checked: bytes past the end of the buffer read as zero, as in a zero-filled track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "song/Song.h"

namespace solvena {

using Bytes = std::span<const std::uint8_t>;

// EventKind codes returned by ClassifyEvent.
namespace EventKind {
constexpr int kEndOfTrack = 0;
constexpr int kTempo = 1;
constexpr int kPortPrefix = 3;
constexpr int kNoteOff = 11;
constexpr int kNoteOn = 12;
constexpr int kPolyPressure = 13;
constexpr int kChannelPressure = 14;
constexpr int kPitchBend = 15;
constexpr int kProgramChange = 41;
constexpr int kBankSelectMsb = 42;
constexpr int kBankSelectLsb = 43;
constexpr int kOtherController = 99;
constexpr int kSysEx = 81;
constexpr int kSysExEscape = 82;
constexpr int kChannelPrefix = 83;
constexpr int kTrackName = 101;
constexpr int kMarker = 102;
constexpr int kTimeSignature = 103;
constexpr int kKeySignature = 104;
constexpr int kSequenceNumber = 121;
constexpr int kText = 122;
constexpr int kCopyright = 123;
constexpr int kInstrumentName = 124;
constexpr int kLyric = 125;
constexpr int kCuePoint = 126;
constexpr int kSmpteOffset = 127;
constexpr int kOther = -1;
}  // namespace EventKind

// Process-wide running-status state: the last explicit channel/system status sized by
// EventLastIndex, and whether the event just sized borrowed it.
extern std::uint8_t runningStatus;
extern std::uint8_t runningStatusUsed;

inline std::uint8_t ByteAt(Bytes buf, ByteIndex i) {
    return (i >= 0 && static_cast<std::size_t>(i) < buf.size()) ? buf[static_cast<std::size_t>(i)] : 0;
}

// Reads a variable-length quantity starting at index; *next receives the index after it.
std::uint32_t ReadVarLen(Bytes buf, ByteIndex index, ByteIndex* next);

std::uint32_t ReadDeltaTime(Bytes buf, ByteIndex index);
ByteIndex EventStatusIndex(Bytes buf, ByteIndex index);
// Index of the event's last byte, or -1 when it cannot be sized.
ByteIndex EventLastIndex(Bytes buf, ByteIndex index);
int ClassifyEvent(Bytes buf, ByteIndex index);
// Data bytes that follow a status byte; -1 for a status of no kind (running status never uses those).
int DataBytesForStatus(std::uint8_t status);
// For an F0/F7 event: writes the status byte and the message's data bytes into out (as many as
// fit) and returns length + 1, the full message size; 0 for any other event.
std::size_t CopySysEx(Bytes buf, ByteIndex index, std::span<std::uint8_t> out);

// Writes value as a variable-length quantity with the fewest bytes (1 to 5); returns the count.
int WriteVarLen(std::uint32_t value, std::uint8_t* out);

}  // namespace solvena
