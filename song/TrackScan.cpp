#include "song/TrackScan.h"

#include <algorithm>

#include "song/EventPrimitives.h"
#include "song/MusicalTime.h"

namespace solvena {

namespace {

TitleLabelHook titleLabelHook = nullptr;

// The text of a meta event: its declared length, clipped to the bytes the track holds,
// and cut at a zero byte since the text is used as a zero-terminated string.
std::string MetaText(Bytes buf, ByteIndex statusIndex, std::uint32_t trackLength) {
    ByteIndex first = statusIndex + 2;
    const std::uint32_t declared = ReadVarLen(buf, statusIndex + 2, &first);
    const ByteIndex end = std::min<ByteIndex>(first + static_cast<ByteIndex>(declared), trackLength);
    std::string text;
    for (ByteIndex k = first; k < end; ++k) {
        const auto c = static_cast<char>(ByteAt(buf, k));
        if (c == '\0') break;
        text.push_back(c);
    }
    return text;
}

struct Taken {
    bool port = false, noteOn = false, bankMsb = false, bankLsb = false, program = false;
    bool trackName = false, instrumentName = false, title = false;
};

std::int32_t SignedByte(Bytes buf, ByteIndex i) { return static_cast<std::int8_t>(ByteAt(buf, i)); }

// Whether the event at status index `s` is a note-on that sounds (velocity above 0). `status` is
// the track's own running status, kept as the run's stream keeps it: a channel or system status
// sets it, meta and system exclusive events leave it, so a note in running status counts too.
bool SoundsANote(Bytes buf, ByteIndex s, std::uint8_t& status) {
    const std::uint8_t b = ByteAt(buf, s);
    if (b >= 0x80 && b != 0xF0 && b != 0xF7 && b != 0xFF) status = b;
    if ((status & 0xF0u) != 0x90u || (b >= 0x80 && b != status)) return false;
    return ByteAt(buf, b < 0x80 ? s + 1 : s + 2) > 0;
}

std::uint32_t ConductorKindOf(int eventKind) {
    switch (eventKind) {
        case EventKind::kTempo: return kTempo;
        case EventKind::kMarker: return kMarker;
        case EventKind::kCuePoint: return kCuePoint;
        case EventKind::kTimeSignature: return kTimeSignature;
        default: return 0;
    }
}

void ScanTrack(Song& song, TrackInfo& track, std::uint32_t index) {
    track.bankMsb = 1;
    track.bankLsb = 1;
    track.port = 0;
    track.program = 0;
    track.hasProgram = false;
    track.channel = 0;
    track.firstNoteTick = 0;
    track.hasNotes = false;
    track.name.reset();
    track.instrumentName.reset();
    Taken taken;
    std::uint8_t status = 0;

    const Bytes buf(track.data.data(), track.data.size());
    std::uint32_t tick = 0;
    ByteIndex i = 0;
    for (;;) {
        tick += ReadDeltaTime(buf, i);
        const int k = ClassifyEvent(buf, i);
        const ByteIndex s = EventStatusIndex(buf, i);
        if (SoundsANote(buf, s, status)) track.hasNotes = true;
        switch (k) {
            case EventKind::kPortPrefix:
                if (!taken.port) { track.port = SignedByte(buf, s + 3); taken.port = true; }
                break;
            case EventKind::kNoteOn:
                if (!taken.noteOn) {
                    track.channel = (ByteAt(buf, s) & 0x0F) + 1;
                    track.firstNoteTick = tick;
                    taken.noteOn = true;
                }
                break;
            case EventKind::kBankSelectMsb:
                if (!taken.bankMsb) { track.bankMsb = SignedByte(buf, s + 2); taken.bankMsb = true; }
                break;
            case EventKind::kBankSelectLsb:
                if (!taken.bankLsb) { track.bankLsb = SignedByte(buf, s + 2); taken.bankLsb = true; }
                break;
            case EventKind::kProgramChange:
                if (!taken.program) {
                    track.program = SignedByte(buf, s + 1);
                    track.hasProgram = true;
                    taken.program = taken.bankMsb = taken.bankLsb = true;
                }
                break;
            case EventKind::kTrackName:
                if (!taken.trackName) {
                    std::string text = MetaText(buf, s, track.length);
                    // Track 0 keeps its last name; its first one is the song's title.
                    if (index == 0 && !taken.title) {
                        SetText(song.title, text);
                        if (titleLabelHook) titleLabelHook(song.title.data());
                        taken.title = true;
                    }
                    track.name = std::move(text);
                    if (index != 0) taken.trackName = true;
                }
                break;
            case EventKind::kInstrumentName:
                if (!taken.instrumentName) {
                    track.instrumentName = MetaText(buf, s, track.length);
                    taken.instrumentName = true;
                }
                break;
            case EventKind::kTempo:
            case EventKind::kMarker:
            case EventKind::kCuePoint:
            case EventKind::kTimeSignature:
                // A full list drops the entry; nothing is written past it.
                InsertConductorEntry(tick, ConductorKindOf(k), ByteAt(buf, s + 3), ByteAt(buf, s + 4),
                                     ByteAt(buf, s + 5), song);
                break;
            case EventKind::kEndOfTrack:
                track.endTick = tick;
                return;
            default:
                break;
        }
        const ByteIndex last = EventLastIndex(buf, i);
        // An event that cannot be sized ends the track where it stands.
        if (last < i) {
            track.endTick = tick;
            return;
        }
        i = last + 1;
        if (i >= static_cast<ByteIndex>(track.length)) {
            track.endTick = tick;
            return;
        }
    }
}

}  // namespace

void SetTitleLabelHook(TitleLabelHook hook) { titleLabelHook = hook; }

void ScanTracks(Song& song, TrackTable& tracks) {
    const std::uint32_t count = std::min<std::uint32_t>(song.trackCount, kMaxTracks);
    for (std::uint32_t t = 0; t < count; ++t) ScanTrack(song, tracks[t], t);
    for (TrackInfo& track : tracks) track.shownLength = track.length;
}

}  // namespace solvena
