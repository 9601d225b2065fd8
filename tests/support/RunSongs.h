// Songs for the tests that record: notes at known ticks over known tempo changes, so a test can
// tell where each onset belongs in the recording.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/MidiBuilder.h"

namespace solvena::test {

struct SongNote {
    std::uint32_t tick = 0;
    std::uint32_t length = 0;  // ticks until its note-off
    std::uint8_t channel = 0;
    std::uint8_t note = 69;
    std::uint8_t velocity = 100;
};

struct TempoChange {
    std::uint32_t tick = 0;
    std::uint32_t microsPerQuarter = 500000;
};

// A format 1 song: a conductor track with the tempo changes, then one track with the notes.
ByteVec SongWithNotes(std::uint16_t division, const std::vector<TempoChange>& tempos,
                      const std::vector<SongNote>& notes);

// `count` notes of `length` ticks, one per quarter note (division 480) at one tempo, rising
// from note 60.
ByteVec QuarterNoteSong(int count, std::uint32_t length, std::uint32_t microsPerQuarter);

// Chords of 128 short notes (16 channels × 8 pitches, velocity 1) on every sixteenth note, with
// the tempo changing every two bars: 256 stream records per chord, so a few dozen chords
// fill several stream buffers.
ByteVec DenseChordSong(int chords);

// A song to look at: a titled conductor track with markers, tempo changes (120, 100, 140 beats per
// minute) and time signatures (4/4, 3/4 from bar 8, 4/4 from bar 12), and `parts` named tracks
// (channels 1, 2, 3, ...; programs 1, 34, 49, ...; a bank select on every other track) playing a
// note on every beat for 16 bars. Division 480.
ByteVec ShowcaseSong(int parts);

// `count` tracks, each named "Track n" and playing one note on its own channel.
ByteVec ManyTrackSong(int count);

// A song recorded in parts that must line up: division 480, 4/4, 120 beats per minute, 100 from
// bar 1, 140 from bar 3, and three tracks of short notes on every beat, track k (1 to 3) (k - 1) ×
// 160 ticks after it, so no two tracks sound at once. The tracks start with 1, 4 and 8
// controllers, track 2 one more at tick 1000: every selection has its own lead-in. `names` names the
// three tracks in turn (an empty or missing name: no name event).
ByteVec PartsSong(int bars, const std::vector<std::string>& names = {});

// A song in parts for a General MIDI synthesizer: division 480, 4/4, 120 beats per minute, 90
// from bar 2, 150 from bar 4, and three tracks on channels 1 to 3 that each play one short note
// on every eighth. Track 1 begins with a GM System On message; every track sets its program
// (woodblock) and its controllers (reverb and chorus off, then 2, 12 or 40 more: each track has
// its own lead-in), and track 1 changes its program at bar 3 (xylophone).
ByteVec StemsSong(int bars);

}  // namespace solvena::test
