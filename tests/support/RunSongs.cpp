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

ByteVec ShowcaseSong(int parts) {
    constexpr std::uint32_t kBeat = 480;
    // Bars 0-7 in 4/4, 8-11 in 3/4, 12-15 in 4/4.
    auto barTick = [](std::uint32_t bar) {
        if (bar <= 8) return bar * 4 * kBeat;
        if (bar <= 12) return 8 * 4 * kBeat + (bar - 8) * 3 * kBeat;
        return 8 * 4 * kBeat + 4 * 3 * kBeat + (bar - 12) * 4 * kBeat;
    };
    const std::uint32_t end = barTick(16);
    TrackBuilder conductor;
    conductor.Text(0, 0x03, "Showcase");
    conductor.TimeSignature(0, 4, 2).Tempo(0, 500000).Text(0, 0x06, "Intro");
    conductor.Text(barTick(4), 0x06, "Verse").Tempo(0, 600000);
    conductor.TimeSignature(barTick(8) - barTick(4), 3, 2).Text(0, 0x06, "Bridge");
    conductor.TimeSignature(barTick(12) - barTick(8), 4, 2).Tempo(0, 428571).Text(0, 0x06, "Chorus");
    conductor.EndOfTrack(end - barTick(12));
    SmfBuilder file(1, static_cast<std::uint16_t>(parts + 1), 480);
    file.Track(conductor);
    const char* const names[] = {"Piano", "Bass", "Strings", "Brass", "Lead", "Pad", "Guitar", "Organ"};
    for (int p = 0; p < parts; ++p) {
        const auto channel = static_cast<std::uint8_t>(p % 16);
        TrackBuilder track;
        track.Text(0, 0x03, names[p % 8]);
        track.Text(0, 0x04, std::string(names[p % 8]) + "Inst");
        if (p % 2 == 1) track.Event(0, {static_cast<std::uint8_t>(0xB0 | channel), 0, 0}).Event(0, {static_cast<std::uint8_t>(0xB0 | channel), 32, 0});
        track.Event(0, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>((p * 33) % 128)});
        // Each part starts a bar later than the one before, so the picture's bars differ.
        const std::uint32_t first = static_cast<std::uint32_t>(p) * 4 * kBeat;
        track.Event(first, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(48 + 5 * p), 90});
        std::uint32_t at = first;
        for (std::uint32_t beat = first + kBeat; beat < end; beat += kBeat) {
            track.Event(kBeat / 2, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(48 + 5 * p), 0});
            track.Event(beat - (at + kBeat / 2), {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(48 + 5 * p), 90});
            at = beat;
        }
        track.Event(kBeat / 2, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(48 + 5 * p), 0});
        track.EndOfTrack(end - (at + kBeat / 2));
        file.Track(track);
    }
    return file.Bytes();
}

ByteVec ManyTrackSong(int count) {
    SmfBuilder file(1, static_cast<std::uint16_t>(count), 480);
    for (int t = 0; t < count; ++t) {
        const auto channel = static_cast<std::uint8_t>(t % 16);
        TrackBuilder track;
        track.Text(0, 0x03, "Track " + std::to_string(t));
        track.Event(static_cast<std::uint32_t>(t) * 120, {static_cast<std::uint8_t>(0x90 | channel), 60, 80});
        track.Event(480, {static_cast<std::uint8_t>(0x80 | channel), 60, 0}).EndOfTrack(0);
        file.Track(track);
    }
    return file.Bytes();
}

ByteVec PartsSong(int bars, const std::vector<std::string>& names) {
    const std::uint32_t end = static_cast<std::uint32_t>(bars) * 1920;
    TrackBuilder conductor;
    conductor.Tempo(0, 500000).Tempo(1920, 600000).Tempo(3840, 428571).EndOfTrack(end - 5760);
    SmfBuilder file(1, 4, 480);
    file.Track(conductor);
    const std::uint8_t controllers[] = {7, 10, 11, 91, 93, 1, 64, 71};
    for (std::uint8_t part = 0; part < 3; ++part) {
        const auto status = [part](std::uint8_t kind) { return static_cast<std::uint8_t>(kind | part); };
        const auto note = static_cast<std::uint8_t>(60 + 7 * part);
        TrackBuilder track;
        if (part < names.size() && !names[part].empty()) track.Text(0, 0x03, names[part]);
        track.Event(0, {status(0xC0), static_cast<std::uint8_t>(part * 20)});
        for (int c = 0; c < (part == 0 ? 1 : 4 * part); ++c) track.Event(0, {status(0xB0), controllers[c], 100});
        std::uint32_t at = 0;
        for (std::uint32_t on = part * 160u; on < end; on += 480) {
            if (part == 1 && on == 1120) {
                track.Event(1000 - at, {status(0xB0), 74, 50});
                at = 1000;
            }
            track.Event(on - at, {status(0x90), note, 100}).Event(60, {status(0x80), note, 0});
            at = on + 60;
        }
        track.EndOfTrack(end > at ? end - at : 0);
        file.Track(track);
    }
    return file.Bytes();
}

ByteVec StemsSong(int bars) {
    constexpr std::uint32_t kBar = 1920;
    const std::uint32_t end = static_cast<std::uint32_t>(bars) * kBar;
    TrackBuilder conductor;
    conductor.TimeSignature(0, 4, 2).Tempo(0, 500000).Tempo(2 * kBar, 666667).Tempo(2 * kBar, 400000);
    conductor.EndOfTrack(end > 4 * kBar ? end - 4 * kBar : 0);
    SmfBuilder file(1, 4, 480);
    file.Track(conductor);
    constexpr int kExtraControllers[] = {2, 12, 40};
    for (std::uint8_t part = 0; part < 3; ++part) {
        const auto status = [part](std::uint8_t kind) { return static_cast<std::uint8_t>(kind | part); };
        TrackBuilder track;
        if (part == 0) track.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
        track.Event(0, {status(0xC0), 115}).Event(0, {status(0xB0), 91, 0}).Event(0, {status(0xB0), 93, 0});
        // Controllers no General MIDI instrument answers to: they lengthen the lead-in only.
        for (int c = 0; c < kExtraControllers[part]; ++c) {
            track.Event(0, {status(0xB0), static_cast<std::uint8_t>(c < 20 ? 102 + c % 18 : 20 + c % 12),
                            static_cast<std::uint8_t>(c)});
        }
        const auto note = static_cast<std::uint8_t>(67 + 5 * part);
        std::uint32_t at = 0;
        for (std::uint32_t on = 0; on < end; on += 240) {
            if (part == 0 && at < 3 * kBar && on >= 3 * kBar) {
                track.Event(3 * kBar - at, {status(0xC0), 13});
                at = 3 * kBar;
            }
            track.Event(on - at, {status(0x90), note, 120}).Event(30, {status(0x80), note, 0});
            at = on + 30;
        }
        track.EndOfTrack(end > at ? end - at : 0);
        file.Track(track);
    }
    return file.Bytes();
}

}  // namespace solvena::test
