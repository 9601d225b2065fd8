#include "song/SongTimeline.h"

#include <algorithm>

#include "song/EventPrimitives.h"
#include "song/MusicalTime.h"

namespace solvena {

namespace {

constexpr std::uint32_t kDefaultTempo = 500000;

std::uint32_t Big24(Bytes buf, ByteIndex at) {
    return std::uint32_t{ByteAt(buf, at)} << 16 | std::uint32_t{ByteAt(buf, at + 1)} << 8 | ByteAt(buf, at + 2);
}

std::string MetaText(Bytes buf, ByteIndex statusIndex, std::uint32_t trackLength) {
    ByteIndex first = statusIndex + 2;
    const std::uint32_t declared = ReadVarLen(buf, statusIndex + 2, &first);
    const ByteIndex end = std::min<ByteIndex>(first + static_cast<ByteIndex>(declared), trackLength);
    std::string text;
    for (ByteIndex k = first; k < end && ByteAt(buf, k) != 0; ++k) text.push_back(static_cast<char>(ByteAt(buf, k)));
    return text;
}

// Walks one track; returns its end tick.
std::uint32_t ReadTrack(const TrackInfo& track, SongTimeline& timeline) {
    const Bytes buf(track.data.data(), std::min<std::size_t>(track.data.size(), track.length));
    std::uint32_t tick = 0;
    for (ByteIndex i = 0; i < static_cast<ByteIndex>(buf.size());) {
        tick += ReadDeltaTime(buf, i);
        const int kind = ClassifyEvent(buf, i);
        const ByteIndex s = EventStatusIndex(buf, i);
        switch (kind) {
            case EventKind::kTempo:
                timeline.tempos.emplace_back(tick, Big24(buf, s + 3));
                InsertConductorEntry(tick, kTempo, ByteAt(buf, s + 3), ByteAt(buf, s + 4), ByteAt(buf, s + 5),
                                     timeline.bars);
                break;
            case EventKind::kTimeSignature:
                InsertConductorEntry(tick, kTimeSignature, ByteAt(buf, s + 3), ByteAt(buf, s + 4), ByteAt(buf, s + 5),
                                     timeline.bars);
                break;
            case EventKind::kMarker:
            case EventKind::kCuePoint: timeline.marks.push_back({tick, MetaText(buf, s, track.length)}); break;
            case EventKind::kEndOfTrack: return tick;
            default: break;
        }
        const ByteIndex last = EventLastIndex(buf, i);
        // An event that cannot be sized ends the track where it stands.
        if (last < i) break;
        i = last + 1;
    }
    return tick;
}

}  // namespace

SongTimeline ReadSongTimeline(const Song& song, const TrackTable& tracks) {
    SongTimeline timeline;
    timeline.division = song.division > 0 ? static_cast<std::uint32_t>(song.division) : 0;
    timeline.bars.division = song.division;
    timeline.bars.ResetConductor();
    std::uint32_t end = 0;
    const std::uint32_t count = std::min<std::uint32_t>(song.trackCount, kMaxTracks);
    for (std::uint32_t t = 0; t < count; ++t) end = std::max(end, ReadTrack(tracks[t], timeline));
    const auto byTick = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::stable_sort(timeline.tempos.begin(), timeline.tempos.end(), byTick);
    std::stable_sort(timeline.marks.begin(), timeline.marks.end(),
                     [](const TimedText& a, const TimedText& b) { return a.tick < b.tick; });
    BuildBarLines(timeline.bars, end);
    return timeline;
}

double SecondsAtTick(const SongTimeline& timeline, std::uint32_t tick) {
    if (timeline.division == 0) return 0;
    double seconds = 0;
    std::uint32_t at = 0, tempo = kDefaultTempo;
    for (const auto& [changeTick, changeTempo] : timeline.tempos) {
        if (changeTick >= tick) break;
        seconds += static_cast<double>(changeTick - at) * tempo / 1e6 / timeline.division;
        at = changeTick;
        tempo = changeTempo;
    }
    return seconds + static_cast<double>(tick - at) * tempo / 1e6 / timeline.division;
}

std::optional<std::int32_t> BarAtTick(const SongTimeline& timeline, std::uint32_t tick) {
    if (tick == 0) return 0;
    const Song& bars = timeline.bars;
    for (std::uint32_t i = 1; i <= bars.conductorLast && i < bars.conductor.size(); ++i) {
        const ConductorEntry& e = bars.conductor[i];
        if (e.tick > tick) break;
        if (e.tick == tick && (e.Kind() == kBarLine || e.Kind() == kMajorBarLine)) {
            return static_cast<std::int32_t>(e.Value());
        }
    }
    return std::nullopt;
}

}  // namespace solvena
