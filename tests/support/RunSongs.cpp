#include "support/RunSongs.h"

#include <algorithm>

namespace solvena::test {

namespace {

struct TimedEvent {
    std::uint32_t tick;
    int order;  // note-offs before note-ons at one tick
    std::uint8_t status, data1, data2;
};

}  // namespace

ByteVec SongWithNotes(std::uint16_t division, const std::vector<TempoChange>& tempos,
                      const std::vector<SongNote>& notes) {
    TrackBuilder conductor;
    std::uint32_t at = 0;
    for (const TempoChange& change : tempos) {
        conductor.Tempo(change.tick - at, change.microsPerQuarter);
        at = change.tick;
    }
    conductor.EndOfTrack(0);

    std::vector<TimedEvent> events;
    for (const SongNote& n : notes) {
        events.push_back({n.tick, 1, static_cast<std::uint8_t>(0x90 | n.channel), n.note, n.velocity});
        events.push_back({n.tick + n.length, 0, static_cast<std::uint8_t>(0x80 | n.channel), n.note, 0});
    }
    std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    TrackBuilder music;
    at = 0;
    for (const TimedEvent& e : events) {
        music.Event(e.tick - at, {e.status, e.data1, e.data2});
        at = e.tick;
    }
    music.EndOfTrack(0);
    return SmfBuilder(1, 2, division).Track(conductor).Track(music).Bytes();
}

ByteVec QuarterNoteSong(int count, std::uint32_t length, std::uint32_t microsPerQuarter) {
    std::vector<SongNote> notes;
    for (int i = 0; i < count; ++i) {
        notes.push_back({static_cast<std::uint32_t>(i) * 480, length, 0, static_cast<std::uint8_t>(60 + i % 24), 100});
    }
    return SongWithNotes(480, {{0, microsPerQuarter}}, notes);
}

ByteVec DenseChordSong(int chords) {
    constexpr std::uint32_t kSixteenth = 120;
    constexpr std::uint32_t kTwoBars = 2 * 4 * 480;
    const std::uint32_t tempoCycle[] = {500000, 400000, 600000, 450000};
    std::vector<TempoChange> tempos;
    const std::uint32_t end = static_cast<std::uint32_t>(chords) * kSixteenth;
    for (std::uint32_t tick = 0, i = 0; tick < end; tick += kTwoBars, ++i) tempos.push_back({tick, tempoCycle[i % 4]});
    std::vector<SongNote> notes;
    for (int c = 0; c < chords; ++c) {
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            for (std::uint8_t k = 0; k < 8; ++k) {
                notes.push_back({static_cast<std::uint32_t>(c) * kSixteenth, kSixteenth / 4, channel,
                                 static_cast<std::uint8_t>(40 + 5 * k), 1});
            }
        }
    }
    return SongWithNotes(480, tempos, notes);
}

}  // namespace solvena::test
