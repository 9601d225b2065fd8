#include "song/EventPrimitives.h"

#include <algorithm>

namespace solvena {

std::uint8_t runningStatus = 0;
std::uint8_t runningStatusUsed = 0;

std::uint32_t ReadVarLen(Bytes buf, ByteIndex index, ByteIndex* next) {
    std::uint32_t value = 0;
    ByteIndex i = index;
    for (;;) {
        std::uint8_t b = ByteAt(buf, i++);
        value = (value << 7) + (b & 0x7Fu);
        if ((b & 0x80u) == 0) break;
    }
    if (next) *next = i;
    return value;
}

std::uint32_t ReadDeltaTime(Bytes buf, ByteIndex index) { return ReadVarLen(buf, index, nullptr); }

ByteIndex EventStatusIndex(Bytes buf, ByteIndex index) {
    ByteIndex next = index;
    ReadVarLen(buf, index, &next);
    return next;
}

int DataBytesForStatus(std::uint8_t status) {
    switch (status & 0xF0u) {
        case 0x80: case 0x90: case 0xA0: case 0xB0: case 0xE0: return 2;
        case 0xC0: case 0xD0: return 1;
        case 0xF0: break;
        default: return -1;  // 00..7F
    }
    switch (status) {
        case 0xF1: case 0xF3: return 1;
        case 0xF2: return 2;
        case 0xF6: case 0xF8: case 0xFA: case 0xFB: case 0xFC: case 0xFE: return 0;
        default: return -1;
    }
}

ByteIndex EventLastIndex(Bytes buf, ByteIndex index) {
    const ByteIndex s = EventStatusIndex(buf, index);
    const std::uint8_t b = ByteAt(buf, s);
    if (b < 0x80) {
        // Running status; 00 is as much a data byte as 01..7F.
        runningStatusUsed = 1;
        int n = DataBytesForStatus(runningStatus);
        if (n < 0) return -1;
        return s + (n - 1);
    }
    runningStatusUsed = 0;
    if (b == 0xFF) {
        ByteIndex first = s + 2;
        std::uint32_t n = ReadVarLen(buf, s + 2, &first);
        return first + static_cast<ByteIndex>(n) - 1;
    }
    if (b == 0xF0 || b == 0xF7) {
        ByteIndex first = s + 1;
        std::uint32_t n = ReadVarLen(buf, s + 1, &first);
        return first + static_cast<ByteIndex>(n) - 1;
    }
    runningStatus = b;
    int n = DataBytesForStatus(b);
    if (n < 0) return -1;
    return s + n;
}

namespace {

int ClassifyController(std::uint8_t controller) {
    switch (controller) {
        case 0: return 42;   case 1: return 16;   case 2: return 17;   case 4: return 18;
        case 5: return 47;   case 6: return 71;   case 7: return 44;   case 10: return 46;
        case 11: return 45;  case 32: return 43;  case 33: return 26;  case 34: return 27;
        case 36: return 28;  case 37: return 57;  case 38: return 72;  case 39: return 54;
        case 40: return 55;  case 45: return 31;  case 46: return 32;  case 47: return 33;
        case 48: return 34;  case 64: return 21;  case 65: return 20;  case 66: return 22;
        case 67: return 19;  case 69: return 23;  case 70: return 49;  case 71: return 66;
        case 72: return 53;  case 73: return 51;  case 74: return 67;  case 75: return 52;
        case 80: return 35;  case 81: return 36;  case 82: return 37;  case 83: return 38;
        case 91: return 61;  case 92: return 63;  case 93: return 62;  case 94: return 64;
        case 95: return 65;  case 96: return 77;  case 97: return 78;  case 98: return 76;
        case 99: return 75;  case 100: return 74; case 101: return 73; case 120: return 91;
        case 121: return 92; case 122: return 93; case 123: return 94; case 124: return 95;
        case 125: return 96; case 126: return 97; case 127: return 98;
        default: return EventKind::kOtherController;
    }
}

int ClassifyMeta(std::uint8_t type) {
    switch (type) {
        case 0x00: return EventKind::kSequenceNumber;
        case 0x01: return EventKind::kText;
        case 0x02: return EventKind::kCopyright;
        case 0x03: return EventKind::kTrackName;
        case 0x04: return EventKind::kInstrumentName;
        case 0x05: return EventKind::kLyric;
        case 0x06: return EventKind::kMarker;
        case 0x07: return EventKind::kCuePoint;
        case 0x20: return EventKind::kChannelPrefix;
        case 0x21: return EventKind::kPortPrefix;
        case 0x2F: return EventKind::kEndOfTrack;
        case 0x51: return EventKind::kTempo;
        case 0x54: return EventKind::kSmpteOffset;
        case 0x58: return EventKind::kTimeSignature;
        case 0x59: return EventKind::kKeySignature;
        default: return EventKind::kOther;
    }
}

}  // namespace

int ClassifyEvent(Bytes buf, ByteIndex index) {
    const ByteIndex s = EventStatusIndex(buf, index);
    const std::uint8_t b = ByteAt(buf, s);
    const std::uint8_t next = ByteAt(buf, s + 1);
    switch (b & 0xF0u) {
        case 0x80: return EventKind::kNoteOff;
        case 0x90: return EventKind::kNoteOn;
        case 0xA0: return EventKind::kPolyPressure;
        case 0xB0: return ClassifyController(next);
        case 0xC0: return EventKind::kProgramChange;
        case 0xD0: return EventKind::kChannelPressure;
        case 0xE0: return EventKind::kPitchBend;
        case 0xF0: break;
        default: return EventKind::kOther;  // a data byte: running status
    }
    if (b == 0xFF) return ClassifyMeta(next);
    if (b == 0xF0) return EventKind::kSysEx;
    if (b == 0xF7) return EventKind::kSysExEscape;
    return EventKind::kOther;
}

std::size_t CopySysEx(Bytes buf, ByteIndex index, std::span<std::uint8_t> out) {
    const ByteIndex s = EventStatusIndex(buf, index);
    const std::uint8_t b = ByteAt(buf, s);
    if (b != 0xF0 && b != 0xF7) return 0;
    ByteIndex first = s + 1;
    const std::uint32_t n = ReadVarLen(buf, s + 1, &first);
    const std::size_t total = static_cast<std::size_t>(n) + 1;
    if (!out.empty()) {
        out[0] = b;
        const std::size_t copy = std::min<std::size_t>(n, out.size() - 1);
        for (std::size_t k = 0; k < copy; ++k) out[k + 1] = ByteAt(buf, first + static_cast<ByteIndex>(k));
    }
    return total;
}

int WriteVarLen(std::uint32_t value, std::uint8_t* out) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7Fu);
        value >>= 7;
    } while (value != 0);
    for (int k = 0; k < count; ++k) {
        std::uint8_t g = groups[count - 1 - k];
        out[k] = (k < count - 1) ? static_cast<std::uint8_t>(g | 0x80u) : g;
    }
    return count;
}

}  // namespace solvena
