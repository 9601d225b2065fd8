#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <vector>

#include "song/MusicalTime.h"
#include "support/MidiBuilder.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

using test::SmfBuilder;
using test::SongHarness;
using test::TrackBuilder;

struct Line {
    std::uint32_t tick;
    std::uint32_t kind;
    std::uint32_t value;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l) {
    return os << "{" << l.tick << ", kind " << l.kind << ", " << l.value << "}";
}

// A time signature entry as the scan makes it (24 clocks a click).
Line Signature(std::uint32_t tick, std::uint32_t numerator, std::uint32_t power) {
    return {tick, kTimeSignature, numerator << 16 | power << 8 | 24};
}

// A song with an empty conductor list and hand-set track ends, as the scan leaves them.
struct Conductor {
    Song song;
    std::unique_ptr<TrackTable> tracks = std::make_unique<TrackTable>();

    explicit Conductor(std::int32_t division, std::vector<std::uint32_t> endTicks) {
        song.division = division;
        song.trackCount = static_cast<std::uint32_t>(endTicks.size());
        song.ResetConductor();
        for (std::size_t t = 0; t < endTicks.size(); ++t) (*tracks)[t].endTick = endTicks[t];
    }
    void TimeSignature(std::uint32_t tick, std::uint8_t numerator, std::uint8_t power) {
        ASSERT_TRUE(InsertConductorEntry(tick, kTimeSignature, numerator, power, 24, song));
    }
    void Tempo(std::uint32_t tick, std::uint32_t micros) {
        ASSERT_TRUE(InsertConductorEntry(tick, kTempo, static_cast<std::uint8_t>(micros >> 16),
                                         static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros), song));
    }
    void Add(const std::vector<Line>& entries) {
        for (const Line& e : entries)
            ASSERT_TRUE(InsertConductorEntry(e.tick, e.kind, static_cast<std::uint8_t>(e.value >> 16),
                                             static_cast<std::uint8_t>(e.value >> 8),
                                             static_cast<std::uint8_t>(e.value), song));
    }
    void Build() { BuildBarLines(song, *tracks); }
    std::vector<Line> Entries(std::initializer_list<std::uint32_t> kinds) const {
        std::vector<Line> out;
        for (std::uint32_t i = 1; i <= song.conductorLast; ++i) {
            const ConductorEntry& e = song.conductor[i];
            if (std::find(kinds.begin(), kinds.end(), e.Kind()) != kinds.end()) out.push_back({e.tick, e.Kind(), e.Value()});
        }
        return out;
    }
    std::vector<Line> BarLines() const { return Entries({kBarLine, kMajorBarLine}); }
};

TEST(InsertConductorEntry, KeepsTickOrderAndInsertionOrderForEqualTicks) {
    Conductor c(480, {});
    ASSERT_TRUE(InsertConductorEntry(960, kMarker, 0x41, 0x42, 0x43, c.song));
    ASSERT_TRUE(InsertConductorEntry(0, kTempo, 0x07, 0xA1, 0x20, c.song));
    ASSERT_TRUE(InsertConductorEntry(960, kCuePoint, 0xFF, 0x80, 0x01, c.song));
    ASSERT_TRUE(InsertConductorEntry(480, kTempo, 0x06, 0x1A, 0x80, c.song));
    ASSERT_TRUE(InsertConductorEntry(0, kTimeSignature, 3, 2, 24, c.song));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {0, 0x0307A120}, {0, 0x04030218}, {480, 0x03061A80}, {960, 0x01414243}, {960, 0x02FF8001}};
    ASSERT_EQ(c.song.conductorLast, expected.size());
    EXPECT_EQ(c.song.conductor[0].word, 0u);
    for (std::size_t n = 0; n < expected.size(); ++n) {
        EXPECT_EQ(c.song.conductor[n + 1].tick, expected[n].first) << n;
        EXPECT_EQ(c.song.conductor[n + 1].word, expected[n].second) << n;
    }
}

TEST(InsertConductorEntry, RefusesWhenFullOrMissing) {
    Conductor c(480, {});
    for (std::uint32_t n = 1; n < kConductorSlots; ++n) ASSERT_TRUE(InsertConductorEntry(n * 10, kMarker, 0, 0, 1, c.song)) << n;
    ASSERT_EQ(c.song.conductorLast, kConductorSlots - 1);
    EXPECT_FALSE(InsertConductorEntry(5, kTempo, 1, 2, 3, c.song));
    EXPECT_EQ(c.song.conductorLast, kConductorSlots - 1);
    EXPECT_EQ(c.song.conductor[1].tick, 10u) << "a refused entry moves nothing";
    EXPECT_EQ(c.song.conductor[kConductorSlots - 1].tick, (kConductorSlots - 1) * 10);
    EXPECT_EQ(c.song.conductor.size(), kConductorSlots);

    Song noList;
    EXPECT_FALSE(InsertConductorEntry(0, kTempo, 1, 2, 3, noList));
    EXPECT_EQ(noList.conductorLast, 0u);
}

TEST(BuildBarLines, TenBarsEndingOnABarLine) {
    Conductor c(480, {19200, 960});
    (*c.tracks)[2].endTick = 99999;  // beyond trackCount: not part of the song
    c.TimeSignature(0, 4, 2);
    c.Build();
    std::vector<Line> expected;
    for (std::uint32_t n = 1; n <= 10; ++n) expected.push_back({1920 * n, n == 9 ? kMajorBarLine : kBarLine, n});
    EXPECT_EQ(c.BarLines(), expected) << "no extra song-end line";
    EXPECT_EQ(c.Entries({kSongEnd}), (std::vector<Line>{{19200, kSongEnd, 0}}));
    EXPECT_EQ(BarToTick(10, c.song), 19200u);
    EXPECT_EQ(LastBarNumber(c.song), 10) << "the end bar offered after a load";
}

TEST(BuildBarLines, SongEndingMidBarGetsASongEndLine) {
    Conductor c(480, {960, 18240});
    c.TimeSignature(0, 4, 2);
    c.Build();
    const std::vector<Line> lines = c.BarLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[8], (Line{17280, kMajorBarLine, 9}));
    EXPECT_EQ(lines[9], (Line{18240, kMajorBarLine, 12}));
    EXPECT_EQ(lines[10], (Line{19200, kBarLine, 10}));
    EXPECT_EQ(LastBarNumber(c.song), 10);
    EXPECT_EQ(BarToTick(10, c.song), 19200u);
    EXPECT_EQ(BarToTick(11, c.song), 0u);
    EXPECT_EQ(BarToTick(12, c.song), 0u) << "the song-end line's number names no bar";
    // The song-end line follows the songEnd entry at the same tick.
    const std::uint32_t last = c.song.conductorLast;
    EXPECT_EQ(c.song.conductor[last - 2].Kind(), kSongEnd);
    EXPECT_EQ(c.song.conductor[last - 1].Kind(), kMajorBarLine);
}

TEST(BuildBarLines, BarZeroIsTheSongStartAndBarOneTheFirstLine) {
    struct Case {
        const char* what;
        std::uint32_t end;  // division 96: 4/4 bars of 384, 3/4 bars of 288
        std::vector<Line> entries, lines;
        std::int64_t endBar;
    };
    const Case cases[] = {
        {"no signature", 768, {}, {{384, kBarLine, 1}, {768, kBarLine, 2}}, 2},
        {"4/4 at tick 0", 768, {Signature(0, 4, 2)}, {{384, kBarLine, 1}, {768, kBarLine, 2}}, 2},
        {"a signature at the first line's tick is bar 1", 960, {Signature(384, 3, 2)},
         {{384, kBarLine, 1}, {672, kBarLine, 2}, {960, kBarLine, 3}}, 3},
        {"a signature before the first line's tick counts bar 0", 960, {Signature(96, 3, 2)},
         {{384, kBarLine, 1}, {672, kBarLine, 2}, {960, kBarLine, 3}}, 3},
        {"a change on the grid names its tick", 1728, {Signature(0, 4, 2), Signature(1152, 3, 2)},
         {{384, kBarLine, 1}, {768, kBarLine, 2}, {1152, kBarLine, 3}, {1440, kBarLine, 4}, {1728, kBarLine, 5}}, 5},
        {"a change off the grid without a signature at 0", 1056, {Signature(480, 3, 2)},
         {{384, kBarLine, 1}, {480, kBarLine, 2}, {768, kBarLine, 3}, {1056, kBarLine, 4}}, 4},
        {"a change at the song end is its last line", 768, {Signature(0, 4, 2), Signature(768, 3, 2)},
         {{384, kBarLine, 1}, {768, kBarLine, 2}}, 2},
        {"a change past the song end is the end bar", 700, {Signature(0, 4, 2), Signature(720, 3, 2)},
         {{384, kBarLine, 1}, {700, kMajorBarLine, 4}, {720, kBarLine, 2}}, 2},
        {"a signature repeated at tick 0 starts no second bar", 768, {Signature(0, 4, 2), Signature(0, 4, 2)},
         {{384, kBarLine, 1}, {768, kBarLine, 2}}, 2},
        {"a repeated change takes the last length, one bar", 1344,
         {Signature(0, 4, 2), Signature(768, 4, 2), Signature(768, 3, 2)},
         {{384, kBarLine, 1}, {768, kBarLine, 2}, {1056, kBarLine, 3}, {1344, kBarLine, 4}}, 4},
    };
    for (const Case& k : cases) {
        Conductor c(96, {k.end});
        c.Add(k.entries);
        c.Build();
        EXPECT_EQ(c.BarLines(), k.lines) << k.what;
        EXPECT_EQ(LastBarNumber(c.song), k.endBar) << k.what;
        EXPECT_EQ(BarToTick(0, c.song), 0u) << k.what;
        for (const Line& l : k.lines) {
            const std::uint32_t tick = l.value > k.endBar ? 0 : l.tick;  // the song-end line names no bar
            EXPECT_EQ(BarToTick(static_cast<std::int32_t>(l.value), c.song), tick) << k.what;
        }
    }
}

TEST(BarToTick, ANumberNoLineCarriesGivesTheSongStart) {
    Conductor c(96, {768});
    c.Build();
    EXPECT_EQ(BarToTick(3, c.song), 0u);
    EXPECT_EQ(BarToTick(-1, c.song), 0u);
    EXPECT_EQ(BarToTick(0x1000001, c.song), 0u) << "no bar line carries this number, whatever its low 24 bits";
}

TEST(BuildBarLines, BarLengthFromTheTimeSignature) {
    struct Case {
        std::uint8_t numerator, power;
        std::uint32_t barLength;
    };
    // Power 33 shifts by 1; a signature giving length 0 keeps the 4/4 length.
    for (const Case& k : {Case{3, 2, 1440}, Case{6, 3, 1440}, Case{7, 3, 1680}, Case{2, 1, 1920}, Case{4, 33, 3840},
                          Case{0, 2, 1920}, Case{1, 31, 1920}}) {
        Conductor c(480, {3 * k.barLength});
        c.TimeSignature(0, k.numerator, k.power);
        c.Build();
        EXPECT_EQ(c.BarLines(), (std::vector<Line>{{k.barLength, kBarLine, 1},
                                                    {2 * k.barLength, kBarLine, 2},
                                                    {3 * k.barLength, kBarLine, 3}}))
            << int(k.numerator) << "/2^" << int(k.power);
    }
}

TEST(BuildBarLines, ASecondSignatureRestartsTheGridAtItsOwnBar) {
    Conductor c(480, {18240});
    c.TimeSignature(0, 4, 2);
    c.Tempo(15360, 600000);
    c.TimeSignature(15360, 3, 2);
    ASSERT_TRUE(InsertConductorEntry(15360, kMarker, 'B', 0, 0, c.song));
    c.Tempo(3840, 400000);
    c.Build();
    std::vector<Line> expected;
    for (std::uint32_t n = 1; n <= 10; ++n)
        expected.push_back({n <= 8 ? 1920 * n : 15360 + 1440 * (n - 8), kBarLine, n});
    EXPECT_EQ(c.BarLines(), expected);
    // The bar line at the tempo's tick comes after the tempo entry.
    EXPECT_EQ(c.song.conductor[3].Kind(), kTempo);
    EXPECT_EQ(c.song.conductor[4].tick, 3840u);
    EXPECT_EQ(c.song.conductor[4].Kind(), kBarLine);
    // The signature's line follows every entry already at its tick.
    std::vector<std::uint32_t> kindsAtChange;
    for (const Line& e : c.Entries({kMarker, kTempo, kTimeSignature, kBarLine}))
        if (e.tick == 15360) kindsAtChange.push_back(e.kind);
    EXPECT_EQ(kindsAtChange, (std::vector<std::uint32_t>{kTempo, kTimeSignature, kMarker, kBarLine}));
}

TEST(BuildBarLines, SignaturesAndMarkersRestartTheMajorGrouping) {
    struct Case {
        const char* what;
        std::uint32_t end;
        std::vector<Line> entries, majors;
    };
    const Line marker{5760, kMarker, 'A' << 16};
    // Bar 11 of 4/4 is at 21120; 3/4 bars from there are 1440 long.
    const Case cases[] = {
        {"4/4 throughout", 23040, {Signature(0, 4, 2)}, {{17280, kMajorBarLine, 9}}},
        {"a marker on bar 3", 23040, {Signature(0, 4, 2), marker}, {{21120, kMajorBarLine, 11}}},
        {"the ninth and seventeenth lines after a change", 21120 + 18 * 1440,
         {Signature(0, 4, 2), Signature(21120, 3, 2)},
         {{17280, kMajorBarLine, 9}, {21120 + 9 * 1440, kMajorBarLine, 20}, {21120 + 17 * 1440, kMajorBarLine, 28}}},
    };
    for (const Case& k : cases) {
        Conductor c(480, {k.end});
        c.Add(k.entries);
        c.Build();
        EXPECT_EQ(c.Entries({kMajorBarLine}), k.majors) << k.what;
    }
    Conductor marked(480, {23040});
    marked.Add({Signature(0, 4, 2), marker});
    marked.Build();
    EXPECT_EQ(BarToTick(3, marked.song), 5760u) << "a bar line is still made at the marker's tick";
}

TEST(BuildBarLines, EmptySongGetsOnlyTheSongEnd) {
    Conductor none(480, {});
    none.Build();
    EXPECT_TRUE(none.BarLines().empty());
    EXPECT_EQ(none.Entries({kSongEnd}).size(), 1u);
    EXPECT_EQ(LastBarNumber(none.song), -1);
}

TEST(BuildBarLines, StopsAtTheListLimit) {
    Conductor c(1, {100000});  // 4-tick bars: far more lines than slots
    c.TimeSignature(0, 4, 2);
    c.Build();
    ASSERT_EQ(c.song.conductorLast, kConductorSlots - 1);
    for (std::uint32_t i = 2; i <= c.song.conductorLast; ++i)
        ASSERT_LE(c.song.conductor[i - 1].tick, c.song.conductor[i].tick) << i;
    EXPECT_EQ(c.Entries({kSongEnd}).size(), 1u);
}

TEST(BuildBarLines, ASignatureLineStopsAtTheListLimit) {
    // Division 1: 4/4 bars of 4 ticks. With 3 entries in the list, lines at 4..8172 leave one slot,
    // for bar 2044 at 8176: the change's own line there, or a 4/4 line before a change at 8180.
    for (const std::uint32_t change : {8176u, 8180u}) {
        Conductor c(1, {100000});
        c.Add({Signature(0, 4, 2), Signature(change, 3, 2)});
        c.Build();
        ASSERT_EQ(c.song.conductorLast, kConductorSlots - 1) << change;
        const std::vector<Line> lines = c.BarLines();
        EXPECT_EQ(lines.size(), 2044u) << change;
        EXPECT_EQ(lines.back(), (Line{8176, kBarLine, 2044})) << change;
        EXPECT_EQ(c.song.conductor.back().Kind(), kSongEnd) << change;
    }
}

TEST(BuildBarLines, AfterLoadingAndScanning) {
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480)
                                  .Track(TrackBuilder().TimeSignature(0, 4, 2).Tempo(0, 500000).EndOfTrack(0))
                                  .Track(TrackBuilder().Event(0, {0x90, 0x3C, 0x40}).Event(7680, {0x80, 0x3C, 0x00}).EndOfTrack(0))
                                  .Bytes()));
    BuildBarLines(h.song, h.tracks);
    EXPECT_EQ(LastBarNumber(h.song), 4);
    EXPECT_EQ(BarToTick(4, h.song), 7680u);
    EXPECT_EQ(SecondsBetween(BarToTick(0, h.song), BarToTick(4, h.song), h.song), 8);
}

TEST(SecondsBetween, TempoSegments) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos;  // tick, microseconds per quarter
        std::uint32_t start, end;
        std::int32_t seconds;
    };
    const Case cases[] = {
        {"120 bpm without a tempo entry", {}, 0, 4800, 5},
        {"60 bpm from tick 0", {{0, 1000000}}, 0, 4800, 10},
        {"tempo before the start still sets the rate", {{0, 1000000}}, 4800, 9600, 10},
        {"each segment is truncated on its own", {{0, 500000}, {1440, 250000}}, 0, 4320, 2},
        {"change inside the range", {{2400, 1000000}}, 0, 4800, 7},
        {"tempo after the end is not used", {{4801, 1000000}}, 0, 4800, 5},
        {"end before start is negative", {}, 4800, 0, -5},
        {"tempo below 100 counts as 100", {{0, 50}}, 0, 9600000, 2},
        {"tempo 0 counts as 100", {{0, 0}}, 0, 9600000, 2},
    };
    for (const Case& k : cases) {
        Conductor c(480, {});
        for (const auto& [tick, micros] : k.tempos) c.Tempo(tick, micros);
        ASSERT_TRUE(InsertConductorEntry(1000, kMarker, 1, 2, 3, c.song));  // other kinds are skipped
        ASSERT_TRUE(InsertConductorEntry(1920, kBarLine, 0, 0, 1, c.song));
        EXPECT_EQ(SecondsBetween(k.start, k.end, c.song), k.seconds) << k.what;
    }
}

TEST(SecondsBetween, RateThatComputesToZeroCountsAsOne) {
    Conductor c(1, {});
    c.Tempo(0, 0xFFFFFF);  // 10000 / 167772 = 0 ticks per second
    EXPECT_EQ(SecondsBetween(0, 7, c.song), 7);
}

}  // namespace
}  // namespace solvena
