#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "song/EventPrimitives.h"
#include "song/TrackScan.h"
#include "support/MidiBuilder.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

using test::ByteVec;
using test::SmfBuilder;
using test::SongHarness;
using test::TrackBuilder;

struct Derived {
    std::int32_t channel, program, bankMsb, bankLsb, port;
    std::uint32_t firstNoteTick, endTick;
    bool operator==(const Derived&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Derived& d) {
    return os << "channel " << d.channel << " program " << d.program << " bank " << d.bankMsb << '/' << d.bankLsb
              << " port " << d.port << " firstNote " << d.firstNoteTick << " end " << d.endTick;
}

TEST(ScanTracks, DerivedFieldsPerTrack) {
    struct Case {
        const char* what;
        ByteVec track;
        Derived expected;
    };
    // Expected: channel, program, bankMsb, bankLsb, port, firstNoteTick, endTick.
    const Case cases[] = {
        {"running status note-on", {0x00, 0x90, 0x3C, 0x64, 0x10, 0x3E, 0x64, 0x00, 0xFF, 0x2F, 0x00},
         {1, 0, 1, 1, 0, 0, 16}},
        {"only an end of track", {0x1E, 0xFF, 0x2F, 0x00}, {0, 0, 1, 1, 0, 0, 30}},
        {"first of each, bank selects after the program change ignored",
         TrackBuilder().Meta(0, 0x21, {0x02}).Meta(0, 0x21, {0x05})
             .Event(0, {0xB2, 0x00, 0x05}).Event(0, {0xB2, 0x20, 0x03}).Event(10, {0xC2, 0x10})
             .Event(0, {0xB2, 0x00, 0x07}).Event(0, {0xB2, 0x20, 0x09}).Event(0, {0xC2, 0x20})
             .Event(20, {0x92, 0x3C, 0x00})  // velocity 0 still counts
             .Event(5, {0x95, 0x3C, 0x40}).EndOfTrack(10).Bytes(),
         {3, 16, 5, 3, 2, 30, 45}},
        {"first bank select wins",
         TrackBuilder().Event(0, {0xB0, 0x00, 0x05}).Event(0, {0xB0, 0x00, 0x06}).Event(0, {0xC0, 0x01}).EndOfTrack(0).Bytes(),
         {0, 1, 5, 1, 0, 0, 0}},
        {"controller 0 after the first program change",
         TrackBuilder().Event(0, {0xC0, 0x07}).Event(4, {0xB0, 0x00, 0x05}).EndOfTrack(4).Bytes(), {0, 7, 1, 1, 0, 0, 8}},
        {"event bytes are signed",
         TrackBuilder().Meta(0, 0x21, {0xF0}).Event(0, {0xB0, 0x00, 0x85}).Event(0, {0xC0, 0xFF}).EndOfTrack(0).Bytes(),
         {0, -1, -123, 1, -16, 0, 0}},
        {"channel from the first note-on only",
         TrackBuilder().Event(0, {0x85, 0x3C, 0x00}).Event(5, {0xB7, 0x07, 0x64}).Event(5, {0x9C, 0x3C, 0x40}).EndOfTrack(0).Bytes(),
         {13, 0, 1, 1, 0, 10, 10}},
        {"two-byte delta times", {0x83, 0x60, 0x90, 0x3C, 0x40, 0x83, 0x60, 0xFF, 0x2F, 0x00}, {1, 0, 1, 1, 0, 480, 960}},
        {"data ends without an end of track", {0x00, 0x90, 0x3C, 0x64, 0x20, 0x80, 0x3C, 0x00}, {1, 0, 1, 1, 0, 0, 32}},
        {"an event that cannot be sized ends the track", {0x00, 0x90, 0x3C, 0x40, 0x10, 0xF4, 0x30, 0xFF, 0x2F, 0x00},
         {1, 0, 1, 1, 0, 0, 16}},
        {"data byte 00 in running status", {0x00, 0x91, 0x3C, 0x40, 0x10, 0x00, 0x40, 0x20, 0xFF, 0x2F, 0x00},
         {2, 0, 1, 1, 0, 0, 48}},
        {"empty chunk", {}, {0, 0, 1, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SongHarness h;
        // Track 0 comes first so the case's track is scanned with whatever state track 0 left.
        ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480).Track(TrackBuilder().EndOfTrack(0)).Track(c.track).Bytes()));
        const TrackInfo& t = h.tracks[1];
        const Derived got{t.channel, t.program, t.bankMsb, t.bankLsb, t.port, t.firstNoteTick, t.endTick};
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(ScanTracks, RunningStatusCarriesIntoTheNextTrack) {
    SongHarness h;
    runningStatus = 0;
    ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480)
                                  .Track(ByteVec{0x00, 0x91, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00})
                                  .Track(ByteVec{0x00, 0x3C, 0x40, 0x10, 0xFF, 0x2F, 0x00})
                                  .Bytes()));
    EXPECT_EQ(h.tracks[1].endTick, 16u);
    EXPECT_EQ(h.tracks[1].channel, 0) << "an event in running status is not classified as a note-on";
}

std::string g_labelText;
int g_labelCalls = 0;

TEST(ScanTracks, NamesAndTitle) {
    SetTitleLabelHook([](const char* title) {
        g_labelText = title;
        ++g_labelCalls;
    });
    g_labelCalls = 0;
    const std::string longName(200, 'L');
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(
        SmfBuilder(1, 4, 480)
            .Track(TrackBuilder().Text(0, 0x03, "A").Text(10, 0x03, "B").EndOfTrack(0))
            .Track(TrackBuilder().Text(0, 0x03, "C").Text(0, 0x04, "Piano").Text(0, 0x03, "D").Text(0, 0x04, "Organ").EndOfTrack(0))
            .Track(TrackBuilder().Text(0, 0x03, longName).EndOfTrack(0))
            .Track(TrackBuilder().Meta(0, 0x03, {'a', 'b', 0x00, 'c', 'd'}).Text(0, 0x01, "not a name").EndOfTrack(0))
            .Bytes()));
    SetTitleLabelHook(nullptr);
    EXPECT_EQ(h.tracks[0].name, "B") << "track 0 keeps its last track name";
    EXPECT_EQ(TextOf(h.song.title), "A") << "the title is track 0's first";
    EXPECT_EQ(g_labelText, "A");
    EXPECT_EQ(g_labelCalls, 1);
    EXPECT_EQ(h.tracks[1].name, "C");
    EXPECT_EQ(h.tracks[1].instrumentName, "Piano");
    EXPECT_FALSE(h.tracks[0].instrumentName.has_value());
    EXPECT_EQ(h.tracks[2].name, longName);
    EXPECT_EQ(h.tracks[3].name, "ab");
}

TEST(ScanTracks, OverlongTitleIsCutAndNameStopsAtTheBufferEnd) {
    const std::string longTitle(300, 'T');
    // Filler so that a track-name event starts 10 bytes before 65536 and declares 64 text
    // bytes of which only 6 are in the chunk.
    ByteVec track = TrackBuilder().Text(0, 0x01, std::string(65520, 'f')).Bytes();
    ASSERT_EQ(track.size(), 65526u);
    track.insert(track.end(), {0x00, 0xFF, 0x03, 0x40, 'n', 'n', 'n', 'n', 'n', 'n'});
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(
        SmfBuilder(1, 2, 480).Track(TrackBuilder().Text(0, 0x03, longTitle).EndOfTrack(0)).Track(track).Bytes()));
    EXPECT_EQ(TextOf(h.song.title), std::string(255, 'T'));
    EXPECT_EQ(h.tracks[0].name, longTitle);
    EXPECT_EQ(h.tracks[1].name, "nnnnnn");
}

TEST(ScanTracks, WalksTracksLongerThanTheBuffer) {
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(
        SmfBuilder(0, 1, 480)
            .Track(TrackBuilder().Text(0, 0x01, std::string(66000, 'x')).Event(5, {0x93, 0x3C, 0x40}).EndOfTrack(7))
            .Bytes()));
    EXPECT_EQ(h.tracks[0].channel, 4);
    EXPECT_EQ(h.tracks[0].firstNoteTick, 5u);
    EXPECT_EQ(h.tracks[0].endTick, 12u);
}

TEST(ScanTracks, TracksNotReadAreScannedAsEmpty) {
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480)
                                  .Track(TrackBuilder().EndOfTrack(0))
                                  .Track(TrackBuilder()
                                             .Text(0, 0x03, "Bass")
                                             .Text(0, 0x04, "Fretless")
                                             .Event(0, {0xC1, 0x21})
                                             .Event(50, {0x91, 0x28, 0x40})
                                             .EndOfTrack(100))
                                  .Bytes()));
    ASSERT_EQ(h.tracks[1].name, "Bass");
    ASSERT_EQ(h.tracks[1].endTick, 150u);

    ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480).Track(TrackBuilder().EndOfTrack(9)).Chunk("JUNK", 0, {}).Bytes()));
    const TrackInfo& t = h.tracks[1];
    EXPECT_FALSE(t.name.has_value());
    EXPECT_FALSE(t.instrumentName.has_value());
    EXPECT_EQ(t.channel, 0);
    EXPECT_EQ(t.program, 0);
    EXPECT_EQ(t.firstNoteTick, 0u);
    EXPECT_EQ(t.endTick, 0u);
    EXPECT_EQ(h.tracks[0].endTick, 9u);
}

TEST(ScanTracks, ConductorEventsOfAllTracksInTickOrder) {
    SongHarness h;
    ASSERT_TRUE(h.LoadAndScan(SmfBuilder(1, 2, 480)
                                  .Track(TrackBuilder()
                                             .TimeSignature(0, 4, 2)
                                             .Tempo(0, 500000)
                                             .Meta(0, 0x59, {0x00, 0x00})
                                             .Text(960, 0x06, "Intro")
                                             .Text(960, 0x07, "Go!")
                                             .Text(0, 0x01, "text")
                                             .Tempo(1920, 400000)
                                             .EndOfTrack(0))
                                  .Track(TrackBuilder().Text(0, 0x06, "Verse").Tempo(1920, 600000).EndOfTrack(0))
                                  .Bytes()));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {0, 4u << 24 | 4u << 16 | 2u << 8 | 24u},
        {0, 3u << 24 | 500000u},
        {0, 1u << 24 | 'V' << 16 | 'e' << 8 | 'r'},  // equal ticks: the later track after
        {960, 1u << 24 | 'I' << 16 | 'n' << 8 | 't'},
        {1920, 2u << 24 | 'G' << 16 | 'o' << 8 | '!'},
        {1920, 3u << 24 | 600000u},
        {3840, 3u << 24 | 400000u},
    };
    ASSERT_EQ(h.song.conductorLast, expected.size());
    EXPECT_EQ(h.song.conductor[0].tick, 0u);
    EXPECT_EQ(h.song.conductor[0].word, 0u);
    for (std::size_t n = 0; n < expected.size(); ++n) {
        EXPECT_EQ(h.song.conductor[n + 1].tick, expected[n].first) << n + 1;
        EXPECT_EQ(h.song.conductor[n + 1].word, expected[n].second) << n + 1;
    }
}

}  // namespace
}  // namespace solvena
