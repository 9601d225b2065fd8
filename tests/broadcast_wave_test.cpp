// Where a job's file belongs in its song: the frames from the song's start to the start tick by its
// own tempo map, its markers as cue points of the file, and the bytes of the chunks that carry them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/BroadcastWave.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

// 4/4 at 480 ticks a quarter: 120 beats per minute, 150 from tick 3840 (bar 2, 4 s in) in the part's
// own track, 100 from tick 5000 (4.9667 s). Markers at 0, 3840, 5760 (5.9167 s) and 20000 (23.7167 s).
test::ByteVec MarkedSong() {
    test::TrackBuilder conductor, part;
    conductor.TimeSignature(0, 4, 2).Tempo(0, 500000).Text(0, 0x06, "Intro").Text(3840, 0x06, "Verse");
    conductor.Tempo(1160, 600000).Text(760, 0x07, "Chorus \x83\x54\x83\x72").Text(14240, 0x06, "Past").EndOfTrack(0);
    part.Tempo(3840, 400000).Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).EndOfTrack(0);
    return test::SmfBuilder(1, 2, 480).Track(conductor).Track(part).Bytes();
}

TEST(BroadcastWave, TheStartTicksTimeAndTheMarkersFramesFollowTheTempoMap) {
    test::SongHarness harness;
    ASSERT_TRUE(harness.Load(MarkedSong()));
    const SongTimeline timeline = ReadSongTimeline(harness.song, harness.tracks);
    struct Case {
        std::uint32_t startTick, rate;
        std::uint64_t takeFrames;
        std::uint64_t timeReference;
        std::vector<std::uint64_t> cueFrames;
    } const cases[] = {
        // The song's start: every marker up to the take's end; the last lies past it.
        {0, 48000, 1000000, 0, {0, 192000, 284000}},
        // Bar 2, where a tempo change of another track begins.
        {3840, 44100, 2000000, 176400, {0, 84525, 869505}},
        // Inside the 150 beats a minute: 4.55 s in.
        {4500, 44100, 2000000, 200655, {60270, 845250}},
        // A take that ends before the next marker has none.
        {4500, 44100, 60270, 200655, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startTick);
        EXPECT_EQ(FramesToTick(timeline, c.startTick, c.rate), c.timeReference);
        std::vector<std::uint64_t> frames;
        for (const CuePoint& point : CuePointsOf(timeline, c.startTick, c.rate, c.takeFrames)) frames.push_back(point.frame);
        EXPECT_EQ(frames, c.cueFrames);
    }
    const std::vector<CuePoint> points = CuePointsOf(timeline, 5000, 44100, 100000000);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].label, "Chorus \x83\x54\x83\x72") << "the text's own bytes";
    EXPECT_EQ(JobDescription("C:\\\x8B\x5C\\song.mid", timeline, 3840, 7680, std::array<std::uint8_t, 3>{1, 0, 1}, 2),
              "song.mid, bars 2-4, tracks 0") << "a separator inside a double-byte character is none";
    EXPECT_EQ(JobDescription("song.mid", timeline, 4500, 7680, std::array<std::uint8_t, 2>{1, 1}, 2),
              "song.mid, ticks 4500-7680, tracks 0,1");
}

std::uint64_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

TEST(BroadcastWave, TheChunksHoldTheirFieldsWhereReadersLookForThem) {
    BextFields fields;
    fields.description = std::string(255, 'd') + "\x83\x54";  // the last character would not fit
    fields.timeReference = 0x123456789;
    fields.rate = 96000;
    fields.bits = 24;
    fields.channels = 1;
    const std::vector<std::uint8_t> bext = BextChunkBody(fields);
    ASSERT_EQ(bext.size(), kBextChunkBytes);
    EXPECT_EQ(bext[254], 'd');
    EXPECT_EQ(bext[255], 0) << "a double-byte character is not cut";
    EXPECT_EQ(Word(bext, 338, 8), 0x123456789u);
    EXPECT_EQ(Word(bext, 346, 2), 2u) << "version";
    for (std::size_t at = 412; at < 422; at += 2) EXPECT_EQ(Word(bext, at, 2), 0x7FFFu) << "loudness not measured";
    EXPECT_STREQ(reinterpret_cast<const char*>(&bext[602]), "A=PCM,F=96000,W=24,M=mono,T=Solvena 1.00\r\n");

    // Labels of odd and even length: each label chunk is padded to an even size.
    const std::vector<CuePoint> points = {{0, "A"}, {44100, "Bb"}};
    // The cue chunk's offsets are read back by an independent reader in the program's own run.
    const std::vector<std::uint8_t> list = LabelListBody(points);
    const std::vector<std::uint8_t> expected = {'a', 'd', 't', 'l', 'l', 'a', 'b', 'l', 6, 0, 0, 0, 1, 0, 0, 0, 'A', 0,
                                                'l', 'a', 'b', 'l', 7, 0, 0, 0, 2, 0, 0, 0, 'B', 'b', 0, 0};
    EXPECT_EQ(list, expected);
    EXPECT_EQ(CueChunksBytes(points), 8 + CueChunkBody(points).size() + 8 + list.size());
    EXPECT_EQ(CueChunksBytes({}), 0u);
}

}  // namespace
}  // namespace solvena
