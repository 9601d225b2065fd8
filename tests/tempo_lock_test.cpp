// The music put on the capture's clock: a player that times records as the system's stream player
// does, a capture whose crystal runs fast or slow, and every note against its frame in the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/TempoLock.h"
#include "support/StreamRecords.h"

namespace solvena {
namespace {

constexpr std::uint32_t kDivision = 480;
constexpr std::uint32_t kRate = 44100;

// A song of `seconds` with a note every eighth, its tempo moving between 120 and 150 beats per
// minute every four bars, packed into fills of `perFill` records.
std::vector<StreamFill> Song(double seconds, std::size_t perFill) {
    std::vector<StreamFill> fills;
    test::StreamRecords records;
    std::size_t count = 0;
    const auto flush = [&] {
        StreamFill fill;
        fill.bytes = records.Bytes();
        fill.bytesRecorded = records.Size();
        fills.push_back(fill);
        records = test::StreamRecords{};
        count = 0;
    };
    records.Tempo(0, 500000);
    for (int eighth = 0; eighth * 0.22 < seconds; ++eighth) {
        if (eighth % 32 == 31) records.Tempo(240, eighth % 64 == 31 ? 400000 : 500000).Short(0, 0x403C90);
        else records.Short(240, 0x403C90);
        if (++count >= perFill) flush();
    }
    if (count > 0) flush();
    return fills;
}

struct Note {
    double ms;    // when it was sent
    double song;  // its song time from the stream's start, in ms
};

// Plays the fills as the stream player does: each delta is timed with the tempo in force right
// after the record before it, a tempo record or the stream's tempo property sets it. Fill f is
// queued (and scaled by the lock) once fill f - 8 has played. Every 100 ms the lock takes a step
// with the capture's rate as known: `guess` until `knownAfterMs`, the true rate from then on.
std::vector<Note> Play(const std::vector<StreamFill>& song, TempoLock& lock, double guess, double framesPerMs,
                       double knownAfterMs, const FilePlacement& placement, double startMs) {
    std::vector<StreamFill> fills = song;  // as queued, scaled
    std::vector<Note> notes;
    std::uint32_t tempo = lock.StartTempo();
    std::uint32_t songTempo = 500000;
    double at = startMs, songMs = 0, nextStep = startMs + 5;
    std::vector<std::pair<double, std::uint32_t>> sets;
    std::size_t setsApplied = 0;
    lock.Started(startMs, placement);
    const auto queue = [&](std::size_t f) {
        if (f < fills.size()) lock.ScaleFill(f, fills[f].bytes);
    };
    for (std::size_t f = 0; f < 8; ++f) queue(f);
    for (std::size_t f = 0; f < fills.size(); ++f) {
        std::vector<StreamRecord> records, own;
        DecodeStreamRecords(std::span<const std::uint8_t>(fills[f].bytes.data(), fills[f].bytesRecorded), records);
        DecodeStreamRecords(std::span<const std::uint8_t>(song[f].bytes.data(), song[f].bytesRecorded), own);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const StreamRecord& r = records[i];
            // The stream's tempo property is set at once, a tempo record when it plays: the delta is
            // timed with whichever came last.
            const auto applySets = [&] {
                for (; setsApplied < sets.size() && sets[setsApplied].first <= at; ++setsApplied) {
                    tempo = sets[setsApplied].second;
                }
            };
            applySets();
            const double due = at + static_cast<double>(r.delta) * tempo / kDivision / 1000;
            // The lock's steps while the player waits.
            for (; nextStep < due; nextStep += 100) {
                auto set = lock.Step(nextStep, nextStep - startMs >= knownAfterMs ? framesPerMs : guess, true);
                if (set) {
                    sets.emplace_back(nextStep, *set);
                    lock.TempoSet(nextStep, *set);
                }
            }
            at = due;
            applySets();
            songMs += static_cast<double>(r.delta) * songTempo / kDivision / 1000;
            if (IsTempoRecord(r.event)) {
                tempo = r.event & kMevtValueMask;
                songTempo = own[i].event & kMevtValueMask;
            }
            if (IsShortMessageRecord(r.event)) notes.push_back({at, songMs});
        }
        queue(f + 8);
    }
    return notes;
}

TEST(TempoLock, EveryNoteSoundsOnItsFrameWhateverTheCapturesClock) {
    struct Case {
        const char* name;
        double ppm;
        double startPpm;      // the rate known when the stream was loaded: the wait's looks, the last job's
        double knownAfterMs;  // when the looks at the capture tell its rate exactly
        std::size_t perFill;
        double firstFiveMs, afterMs;  // the largest error before 5 s of music, and after
    } const cases[] = {
        {"the system's own rate", 0, 0, 0, 10000, 0.01, 0.01},
        {"2000 ppm fast, known at the start", 2000, 2000, 0, 10000, 0.05, 0.05},
        {"2000 ppm slow, roughly known at the start", -2000, -1900, 1000, 10000, 0.5, 0.1},
        {"2000 ppm fast, not known at the start", 2000, 0, 1000, 10000, 3.5, 0.6},
        // Looks that lag by many milliseconds tell the rate only after seconds.
        {"700 ppm slow, learnt after 3 s, fills queued as the music goes", -700, 0, 3000, 40, 3, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<StreamFill> fills = Song(30, c.perFill);
        const double perMs = kRate / 1000.0, framesPerMs = perMs * (1 + c.ppm / 1e6);
        TempoLock lock;
        const double guess = perMs * (1 + c.startPpm / 1e6);
        lock.Load(fills, kDivision, perMs / guess);
        // The capture ran 300 ms before the music; the file's first frame placed as the run does,
        // with the rate it knew then.
        const double startMs = 1300;
        FilePlacement placement{1000, 1000 * framesPerMs, 0, 12, 0, kRate};
        placement.firstFrame = placement.anchorFrames + guess * (startMs - placement.anchorMs + placement.delayMs);
        const std::vector<Note> notes = Play(fills, lock, guess, framesPerMs, c.knownAfterMs, placement, startMs);
        ASSERT_GT(notes.size(), 100u);
        double early = 0, late = 0;
        for (const Note& note : notes) {
            const double frame = framesPerMs * (note.ms + placement.delayMs) - placement.firstFrame;
            const double errorMs = std::abs(frame / perMs - note.song);
            (note.song < 5000 ? early : late) = std::max(note.song < 5000 ? early : late, errorMs);
        }
        EXPECT_LE(early, c.firstFiveMs);
        EXPECT_LE(late, c.afterMs);
        EXPECT_LE(std::abs(lock.PhaseErrorMs()), c.afterMs);
    }
}

}  // namespace
}  // namespace solvena
