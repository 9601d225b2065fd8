#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/StreamMerge.h"
#include "support/StreamBytes.h"

namespace solvena {
namespace {

using test::EventBytes;
using ByteVec = std::vector<std::uint8_t>;

ByteVec Merge(const std::vector<ByteVec>& tracks) {
    MergeBuffer buffer(kMergeBufferSize, 0);
    std::size_t length = 0;
    for (const ByteVec& t : tracks) length = MergeTrack(buffer, length, t, static_cast<std::uint32_t>(t.size()));
    return ByteVec(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

ByteVec Trim(const ByteVec& stream, std::int32_t startTick, std::int32_t endTick) {
    MergeBuffer buffer(kMergeBufferSize, 0);
    std::copy(stream.begin(), stream.end(), buffer.begin());
    const std::size_t length = TrimToRange(buffer, startTick, endTick, stream.size());
    // Nothing of the old stream may stay behind the new one.
    for (std::size_t i = length; i < stream.size(); ++i) EXPECT_EQ(buffer[i], 0) << "byte " << i;
    return ByteVec(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

TEST(MergeTrack, OneTrackLosesEndOfTrackAndDroppedMetaButKeepsTheirTime) {
    const ByteVec track = EventBytes()
                              .At(0, {0xFF, 0x03, 0x04, 'P', 'i', 'a', 'n'})  // track name: dropped
                              .At(0, {0xFF, 0x21, 0x01, 0x00})               // port prefix: kept
                              .At(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})
                              .At(0, {0xC0, 0x05})
                              .Bytes();
    ByteVec rest = {0x80, 0x00, 0xB0, 0x07, 0x64};  // a delta of 0 written in two bytes
    rest.insert(rest.end(), {0x00, 0x90, 0x3C, 0x64});
    rest.insert(rest.end(), {0x83, 0x60, 0x3E, 0x64});                    // tick 480, running status
    rest.insert(rest.end(), {0x64, 0xFF, 0x01, 0x02, 'h', 'i'});          // tick 580 text: dropped
    rest.insert(rest.end(), {0x1C, 0x80, 0x3C, 0x00});                    // tick 608
    rest.insert(rest.end(), {0x00, 0xFF, 0x59, 0x02, 0x00, 0x00});        // key signature: dropped
    rest.insert(rest.end(), {0x00, 0xFF, 0x7F, 0x03, 0x41, 0x01, 0x02});  // sequencer-specific: kept
    rest.insert(rest.end(), {0x00, 0xFF, 0x2F, 0x00});
    rest.insert(rest.end(), {0x00, 0x90, 0x40, 0x64});  // after the end of track
    ByteVec bytes = track;
    bytes.insert(bytes.end(), rest.begin(), rest.end());

    const ByteVec expected = {0x00, 0xFF, 0x21, 0x01, 0x00,                    //
                              0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        //
                              0x00, 0xC0, 0x05,                                //
                              0x00, 0xB0, 0x07, 0x64,                          //
                              0x00, 0x90, 0x3C, 0x64,                          //
                              0x83, 0x60, 0x90, 0x3E, 0x64,                    //
                              0x81, 0x00, 0x80, 0x3C, 0x00,                    // 28 + the text's 100
                              0x00, 0xFF, 0x7F, 0x03, 0x41, 0x01, 0x02};
    EXPECT_EQ(Merge({bytes}), expected);
}

TEST(MergeTrack, EqualTicksKeepTrackOrder) {
    const ByteVec t0 = EventBytes().At(0, {0x90, 0x3C, 0x64}).At(10, {0x80, 0x3C, 0x00}).Bytes();
    const ByteVec t1 = EventBytes().At(0, {0x91, 0x40, 0x64}).At(5, {0xB1, 0x07, 0x50}).At(5, {0x81, 0x40, 0x00}).Bytes();
    const ByteVec t2 = EventBytes().At(3, {0x92, 0x43, 0x64}).At(7, {0x82, 0x43, 0x00}).Bytes();
    const ByteVec expected = {0x00, 0x90, 0x3C, 0x64, 0x00, 0x91, 0x40, 0x64,  // tick 0
                              0x03, 0x92, 0x43, 0x64,                          // tick 3
                              0x02, 0xB1, 0x07, 0x50,                          // tick 5
                              0x05, 0x80, 0x3C, 0x00, 0x00, 0x81, 0x40, 0x00, 0x00, 0x82, 0x43, 0x00};
    EXPECT_EQ(Merge({t0, t1, t2}), expected);
    // Merged the other way round, the later track's events lead at equal ticks.
    const ByteVec reversed = {0x00, 0x91, 0x40, 0x64, 0x00, 0x90, 0x3C, 0x64, 0x05, 0xB1, 0x07, 0x50,
                              0x05, 0x81, 0x40, 0x00, 0x00, 0x80, 0x3C, 0x00};
    EXPECT_EQ(Merge({t1, t0}), reversed);
}

// A running-status event of the track takes the track's own status, never that of an event
// of the stream read in between.
TEST(MergeTrack, TrackRunningStatusIsItsOwn) {
    const ByteVec t0 = EventBytes().At(0, {0xB0, 0x07, 0x64}).At(5, {0xC0, 0x05}).Bytes();
    const ByteVec t1 = EventBytes().At(0, {0x92, 0x30, 0x64}).At(10, {0x31, 0x64}).At(0, {0x32, 0x64}).Bytes();
    const ByteVec expected = {0x00, 0xB0, 0x07, 0x64, 0x00, 0x92, 0x30, 0x64, 0x05, 0xC0, 0x05,
                              0x05, 0x92, 0x31, 0x64, 0x00, 0x92, 0x32, 0x64};
    EXPECT_EQ(Merge({t0, t1}), expected);

    // A track that starts in running status has nothing to borrow, even after the stream's
    // note-on: it ends there instead of playing on the stream's channel.
    const ByteVec t2 = EventBytes().At(1, {0x35, 0x64}).At(1, {0x93, 0x35, 0x64}).Bytes();
    EXPECT_EQ(Merge({t0, t2}), Merge({t0}));
}

// A dropped event takes its turn by its own tick like any other. That only shows when ticks
// wrap at 32 bits: here the track's note comes after the stream's although its tick is lower.
TEST(MergeTrack, DroppedEventsTakeTheirTurnByTick) {
    const ByteVec t0 = EventBytes().At(5, {0x90, 0x3C, 0x64}).Bytes();
    const ByteVec t1 = EventBytes().At(10, {0xFF, 0x01, 0x01, 'x'}).At(0xFFFFFFF7, {0x91, 0x3C, 0x64}).Bytes();
    const ByteVec expected = {0x05, 0x90, 0x3C, 0x64, 0x8F, 0xFF, 0xFF, 0xFF, 0x7C, 0x91, 0x3C, 0x64};
    EXPECT_EQ(Merge({t0, t1}), expected);
}

TEST(MergeTrack, UnsizableEventEndsOnlyItsTrack) {
    const ByteVec t0 = EventBytes().At(0, {0x90, 0x3C, 0x64}).At(0, {0xF4}).At(0, {0x90, 0x3D, 0x64}).Bytes();
    const ByteVec runsPast = EventBytes().At(1, {0x91, 0x3C, 0x64}).At(0, {0xF0, 0x7F, 0x01, 0x02}).Bytes();
    const ByteVec t2 = EventBytes().At(2, {0x92, 0x3C, 0x64}).At(1, {0x82, 0x3C, 0x00}).Bytes();
    const ByteVec expected = {0x00, 0x90, 0x3C, 0x64, 0x01, 0x91, 0x3C, 0x64,
                              0x01, 0x92, 0x3C, 0x64, 0x01, 0x82, 0x3C, 0x00};
    EXPECT_EQ(Merge({t0, runsPast, t2}), expected);
}

TEST(MergeTrack, ReadsOnlyTheTrackLength) {
    const ByteVec track = EventBytes().At(0, {0x90, 0x3C, 0x64}).At(4, {0x80, 0x3C, 0x00}).Bytes();
    MergeBuffer buffer(kMergeBufferSize, 0);
    EXPECT_EQ(MergeTrack(buffer, 0, track, 4), 4u);
    EXPECT_EQ(MergeTrack(buffer, 0, track, 0), 0u);
    // A last byte alone is never an event.
    EXPECT_EQ(MergeTrack(buffer, 0, track, 5), 4u);
}

TEST(MergeTrack, GrowsPastTheStandardBufferWithoutLosingEvents) {
    std::vector<ByteVec> tracks;
    for (std::uint8_t ch = 0; ch < 10; ++ch) {
        tracks.push_back(EventBytes().Repeat(15000, 1, {static_cast<std::uint8_t>(0x90 | ch), 0x3C, 0x64}).Bytes());
    }
    MergeBuffer buffer(kMergeBufferSize, 0);
    std::size_t length = 0;
    for (const ByteVec& t : tracks) length = MergeTrack(buffer, length, t, static_cast<std::uint32_t>(t.size()));
    ASSERT_EQ(length, 600000u);
    ASSERT_GE(buffer.size(), length);
    // Every tick holds the ten channels in track order; only the first has a nonzero delta.
    for (std::size_t i = 0; i < length; i += 4) {
        const std::size_t ch = (i / 4) % 10;
        ASSERT_EQ(buffer[i], ch == 0 ? 1 : 0) << i;
        ASSERT_EQ(buffer[i + 1], 0x90 | ch) << i;
    }
}

// Arbitrary event soup: running status that may not match its status, dropped metas, ends
// of track, events that cannot be sized, and deltas that wrap 32-bit ticks.
ByteVec RandomTrack(std::uint32_t seed, std::size_t events) {
    std::mt19937 rng(seed);
    EventBytes b;
    for (std::size_t k = 0; k < events; ++k) {
        const std::uint32_t delta = rng() % 4 == 0 ? static_cast<std::uint32_t>(rng()) : rng() % 3 == 0 ? 0 : rng() % 200;
        const auto data = static_cast<std::uint8_t>(rng() % 128);
        const auto ch = static_cast<std::uint8_t>(rng() % 16);
        switch (rng() % 16) {
            case 0: case 1: case 2: b.At(delta, {static_cast<std::uint8_t>(0x90 | ch), data, 100}); break;
            case 3: case 4: b.At(delta, {data, 0}); break;
            case 5: b.At(delta, {static_cast<std::uint8_t>(0xC0 | ch), data}); break;
            case 6: b.At(delta, {static_cast<std::uint8_t>(0xB0 | ch), data, 64}); break;
            case 7: b.At(delta, {0xFF, 0x01, 0x02, 'a', 'b'}); break;
            case 8: b.At(delta, {0xFF, 0x51, 0x03, 0x07, 0xA1, data}); break;
            case 9: b.SysEx(delta, data % 20); break;
            case 10: b.At(delta, {0xF8}); break;
            case 11: b.At(delta, {0xFF, 0x06, 0x01, 'm'}); break;
            case 12: if (rng() % 10 == 0) b.At(delta, {0xFF, 0x2F, 0x00}); break;
            case 13: if (rng() % 10 == 0) b.At(delta, {0xF4}); break;
            default: b.At(delta, {static_cast<std::uint8_t>(0x80 | ch), data, 0}); break;
        }
    }
    return b.Bytes();
}

TEST(MergeTracks, SameBytesAsMergingOneTrackAfterAnother) {
    for (std::uint32_t round = 0; round < 40; ++round) {
        std::vector<ByteVec> tracks;
        std::vector<TrackBytes> views;
        for (std::uint32_t t = 0; t < 1 + round % 9; ++t) tracks.push_back(RandomTrack(round * 100 + t, 300));
        for (const ByteVec& t : tracks) views.push_back({t, static_cast<std::uint32_t>(t.size())});
        MergeBuffer buffer(kMergeBufferSize, 0xEE);
        const std::size_t length = MergeTracks(buffer, views);
        ASSERT_EQ(ByteVec(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length)), Merge(tracks))
            << "round " << round;
        EXPECT_EQ(buffer[length], 0);
    }
}

// Ticks: tempo 0, program 0, volume 100, note 100, SysEx 300, note-off 400 | start 480 |
// note 500, note-off 560, note 960 | end 960 | note-off 1000, note 1100.
ByteVec RangeStream() {
    return EventBytes()
        .At(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})
        .At(0, {0xC0, 0x05})
        .At(100, {0xB0, 0x07, 0x64})
        .At(0, {0x90, 0x3C, 0x64})
        .At(200, {0xF0, 0x03, 0x43, 0x10, 0xF7})
        .At(100, {0x80, 0x3C, 0x00})
        .At(100, {0x90, 0x40, 0x64})
        .At(60, {0x80, 0x40, 0x00})
        .At(400, {0x90, 0x41, 0x64})
        .At(40, {0x80, 0x41, 0x00})
        .At(100, {0x90, 0x42, 0x64})
        .Bytes();
}

TEST(TrimToRange, LeadInReplaysStateFiveTicksApartAndDropsNotes) {
    const ByteVec expected = {0x05, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  //
                              0x05, 0xC0, 0x05,                          //
                              0x05, 0xB0, 0x07, 0x64,                    //
                              0x05, 0xF0, 0x03, 0x43, 0x10, 0xF7,        //
                              0x14, 0x90, 0x40, 0x64,                    // 500 - 480
                              0x3C, 0x80, 0x40, 0x00,                    //
                              0x83, 0x10, 0x90, 0x41, 0x64,              //
                              0x28, 0x80, 0x41, 0x00};                   // first after the end
    EXPECT_EQ(Trim(RangeStream(), 480, 960), expected);
}

TEST(TrimToRange, FromTickZeroTheStreamEndsWithTheFirstEventAfterTheEnd) {
    const ByteVec stream = RangeStream();
    const ByteVec upTo560(stream.begin(), stream.begin() + 37);
    EXPECT_EQ(Trim(stream, 0, 550), upTo560);
    // An event exactly at the end is inside the range.
    const ByteVec upTo960(stream.begin(), stream.begin() + 42);
    EXPECT_EQ(Trim(stream, 0, 560), upTo960);
    EXPECT_EQ(Trim(stream, 0, 5000), stream);

    // The first event in range is timed from the start, later ones keep their spacing.
    const ByteVec late = EventBytes().At(30, {0x90, 0x3C, 0x64}).At(7, {0x80, 0x3C, 0x00}).Bytes();
    EXPECT_EQ(Trim(late, 0, 100), late);
    EXPECT_EQ(Trim(late, 10, 100), (ByteVec{0x14, 0x90, 0x3C, 0x64, 0x07, 0x80, 0x3C, 0x00}));
}

TEST(TrimToRange, NothingInRangeLeavesAnEmptyZeroedStream) {
    const ByteVec notes = EventBytes().At(0, {0x90, 0x3C, 0x64}).At(10, {0x80, 0x3C, 0x00}).Bytes();
    EXPECT_TRUE(Trim(notes, 480, 960).empty());
    EXPECT_TRUE(Trim(RangeStream(), 0, -1).empty());
}

}  // namespace
}  // namespace solvena
