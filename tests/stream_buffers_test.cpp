#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/JobStream.h"
#include "engine/StreamBuffers.h"
#include "engine/StreamMerge.h"
#include "support/StreamBytes.h"

namespace solvena {
namespace {

using test::EventBytes;
using test::RecordsOf;
using ByteVec = std::vector<std::uint8_t>;

constexpr std::uint32_t kNoteOn = 0x643C90;  // 90 3C 64

StreamBuildResult Build(const EventBytes& events) { return BuildStreamBuffers(events.Bytes(), events.Size()); }

TEST(BuildStreamBuffers, ShortStreamGivesTheseRecordBytes) {
    const EventBytes events = EventBytes()
                                  .At(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})
                                  .At(10, {0xC0, 0x05})
                                  .At(3, {0xB0, 0x07, 0x64})
                                  .At(0, {0xB0, 0x79, 0x00})  // reset all controllers: not sent
                                  .At(0, {0xB0, 0x08, 0x40})  // controller 8: not sent
                                  .At(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
                                  .At(128, {0x90, 0x3C, 0x64});
    ASSERT_EQ(Build(events), StreamBuildResult::built);
    const ByteVec expected = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0xA1, 0x07, 0x01,  // tempo 500000
        0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x05, 0x03, 0x00,  // with the byte after it
        0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xB0, 0x07, 0x64, 0x00,  //
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,  // no-op
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,  // no-op
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x80,  // long, 6 bytes
        0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0x00,                          //
        0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x40,  // last: flagged
    };
    ASSERT_EQ(streamFills.size(), 1u);
    EXPECT_EQ(streamFills[0].bytesRecorded, expected.size());
    EXPECT_EQ(ByteVec(streamFills[0].bytes.begin(), streamFills[0].bytes.begin() + expected.size()), expected);
    EXPECT_EQ(callbacksExpected, 1u);
    EXPECT_EQ(callbacksReceived, 0u);

    const StreamHeader& h = streamBuffers[0].header;
    EXPECT_EQ(h.data, streamBuffers[0].block.data());
    EXPECT_EQ(h.bufferLength, kStreamBufferSize);
    EXPECT_EQ(h.bytesRecorded, expected.size());
    EXPECT_EQ(ByteVec(h.data, h.data + expected.size()), expected);
    EXPECT_EQ(streamBuffers[1].header.bytesRecorded, 0u);
}

TEST(BuildStreamBuffers, ABufferHolds2730ShortRecordsAndTheLastOneClosesIt) {
    ASSERT_EQ(Build(EventBytes().Repeat(2731, 1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    ASSERT_EQ(streamFills.size(), 2u);
    EXPECT_EQ(streamFills[0].bytesRecorded, 32760u);
    const auto first = RecordsOf(streamFills[0]);
    ASSERT_EQ(first.size(), 2730u);
    for (std::size_t k = 0; k + 1 < first.size(); ++k) {
        ASSERT_EQ(first[k].event, kNoteOn) << k;
        ASSERT_EQ(first[k].delta, 1u) << k;
    }
    EXPECT_EQ(first.back().event, kNoteOn | kMevtFCallback);
    const auto second = RecordsOf(streamFills[1]);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].event, kNoteOn | kMevtFCallback);
    EXPECT_EQ(callbacksExpected, 2u);

    // When the last event also closes its buffer, its one flag is counted once.
    ASSERT_EQ(Build(EventBytes().Repeat(2730, 1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    EXPECT_EQ(streamFills.size(), 1u);
    EXPECT_EQ(callbacksExpected, 1u);
}

TEST(BuildStreamBuffers, SysExMissingTheRoomLeftGoesAloneIntoTheNextBuffer) {
    // 2724 short records and one of 20 bytes leave 60 bytes; the next message needs 116.
    const EventBytes events = EventBytes()
                                  .Repeat(2724, 0, {0x90, 0x3C, 0x64})
                                  .SysEx(0, 5)
                                  .SysEx(7, 100, 0x10)
                                  .At(2, {0x90, 0x3C, 0x64});
    ASSERT_EQ(Build(events), StreamBuildResult::built);
    ASSERT_EQ(streamFills.size(), 3u);

    const auto first = RecordsOf(streamFills[0]);
    EXPECT_EQ(streamFills[0].bytesRecorded, 32720u);
    ASSERT_EQ(first.size(), 2726u);
    EXPECT_EQ(first[2724].event, kMevtLongMsg | 6);
    EXPECT_EQ(first.back().delta, 0u);
    EXPECT_EQ(first.back().event, kBufferClosingNop);

    const auto second = RecordsOf(streamFills[1]);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].delta, 7u);
    EXPECT_EQ(second[0].event, kMevtLongMsg | kMevtFCallback | 101);
    ASSERT_EQ(second[0].params.size(), 104u);
    EXPECT_EQ(second[0].params[0], 0xF0);
    EXPECT_EQ(second[0].params[1], 0x10);
    EXPECT_EQ(second[0].params[100], (0x10 + 99) & 0x7F);
    EXPECT_EQ(second[0].params[101], 0);

    const auto third = RecordsOf(streamFills[2]);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].delta, 2u);
    EXPECT_EQ(third[0].event, kNoteOn | kMevtFCallback);
    EXPECT_EQ(callbacksExpected, 3u);
}

TEST(BuildStreamBuffers, LongMessagesUpToAWholeBufferAreSentWhole) {
    // Past the 1,024-byte scratch area.
    ASSERT_EQ(Build(EventBytes().SysEx(3, 2000, 1).At(1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    auto records = RecordsOf(streamFills[0]);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].event, kMevtLongMsg | 2001);
    ASSERT_EQ(records[0].params.size(), 2004u);
    EXPECT_EQ(records[0].params[2000], (1 + 1999) & 0x7F);
    EXPECT_EQ(records[0].params[2001], 0);

    // A record of exactly 32,768 bytes never fits behind anything: the (empty) buffer is
    // closed first and the message fills the next one.
    ASSERT_EQ(Build(EventBytes().SysEx(4, 32755).At(1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    ASSERT_EQ(streamFills.size(), 3u);
    EXPECT_EQ(RecordsOf(streamFills[0]).size(), 1u);
    EXPECT_EQ(streamFills[1].bytesRecorded, kStreamBufferSize);
    records = RecordsOf(streamFills[1]);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].event, kMevtLongMsg | kMevtFCallback | 32756);
    EXPECT_EQ(callbacksExpected, 3u);

    // One byte more cannot be sent at all; a no-op keeps its time.
    ASSERT_EQ(Build(EventBytes().SysEx(9, 32756).At(1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    records = RecordsOf(streamFills[0]);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].delta, 9u);
    EXPECT_EQ(records[0].event, kMevtNop);
    EXPECT_EQ(records[1].event, kNoteOn | kMevtFCallback);
}

TEST(BuildStreamBuffers, AStreamLongerThanEightBuffersIsPlayedFillByFill) {
    ASSERT_EQ(Build(EventBytes().Repeat(21840, 1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    EXPECT_EQ(StreamFillCount(), 8u);
    EXPECT_EQ(callbacksExpected, 8u);

    ASSERT_EQ(Build(EventBytes().Repeat(21841, 2, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    ASSERT_EQ(StreamFillCount(), 9u);
    EXPECT_EQ(callbacksExpected, 9u);
    for (std::size_t b = 0; b < kStreamBufferCount; ++b) {
        EXPECT_EQ(streamBuffers[b].header.bytesRecorded, 32760u) << b;
        EXPECT_EQ(BufferForFill(b), &streamBuffers[b]);
    }
    // Buffer 0 has played fill 0 and takes fill 8.
    StreamBuffer* next = BufferForFill(8);
    ASSERT_EQ(next, &streamBuffers[0]);
    EXPECT_EQ(next->header.data, next->block.data());
    EXPECT_EQ(next->header.bytesRecorded, 12u);
    std::vector<StreamRecord> records;
    ASSERT_TRUE(DecodeStreamRecords(std::span<const std::uint8_t>(next->block.data(), 12), records));
    EXPECT_EQ(records[0].event, kNoteOn | kMevtFCallback);
    EXPECT_EQ(records[0].delta, 2u);
    EXPECT_EQ(next->block[12], 0);  // the rest of the old fill is gone
    EXPECT_EQ(BufferForFill(9), nullptr);
}

TEST(BuildStreamBuffers, NothingToPlayIsEmpty) {
    ASSERT_EQ(Build(EventBytes().Repeat(3000, 1, {0x90, 0x3C, 0x64})), StreamBuildResult::built);
    EXPECT_EQ(BuildStreamBuffers(ByteVec(kMergeBufferSize, 0), 0), StreamBuildResult::empty);
    EXPECT_EQ(StreamFillCount(), 0u);
    EXPECT_EQ(callbacksExpected, 0u);
    EXPECT_EQ(streamBuffers[0].header.bytesRecorded, 0u);
    EXPECT_EQ(streamBuffers[0].block[0], 0);
    // A first event that cannot be sized leaves nothing either.
    EXPECT_EQ(Build(EventBytes().At(0, {0x3C, 0x64})), StreamBuildResult::empty);
}

class JobStreamTest : public ::testing::Test {
protected:
    void SetTrack(std::size_t i, const EventBytes& events) {
        (*tracks)[i].data = events.Bytes();
        (*tracks)[i].length = static_cast<std::uint32_t>(events.Size());
        (*tracks)[i].data.resize(kTrackBufferSize, 0);
    }

    void SetUp() override {
        song.trackCount = 3;
        song.division = 480;
        SetTrack(0, EventBytes()
                        .At(0, {0xFF, 0x03, 0x01, 'A'})
                        .At(0, {0xC0, 0x05})
                        .At(10, {0x90, 0x3C, 0x64})
                        .At(10, {0x80, 0x3C, 0x00})
                        .At(0, {0xFF, 0x2F, 0x00}));
        SetTrack(1, EventBytes().At(0, {0x91, 0x40, 0x64}));
        SetTrack(2, EventBytes().At(5, {0x92, 0x43, 0x64}).At(10, {0x82, 0x43, 0x00}).At(0, {0xFF, 0x2F, 0x00}));
        SetTrack(3, EventBytes().At(0, {0x93, 0x40, 0x64}));
    }

    Song song;
    std::unique_ptr<TrackTable> tracks = std::make_unique<TrackTable>();
    std::uint8_t flags[kMaxTracks] = {1, 0, 1, 1};
};

TEST_F(JobStreamTest, MergesTheJobsTracksTrimsAndPacks) {
    JobStreamInfo info = BuildJobStream(song, *tracks, 0, 1000, flags);
    EXPECT_EQ(info.mergedLength, 19u);
    EXPECT_EQ(info.trimmedLength, 19u);
    ASSERT_EQ(info.result, StreamBuildResult::built);
    ASSERT_EQ(StreamFillCount(), 1u);
    auto records = RecordsOf(streamFills[0]);
    ASSERT_EQ(records.size(), 5u);
    const std::uint32_t deltas[] = {0, 5, 5, 5, 5};
    const std::uint32_t events[] = {0x0505C0, 0x644392, 0x643C90, 0x004382, 0x003C80 | kMevtFCallback};
    for (std::size_t k = 0; k < records.size(); ++k) {
        EXPECT_EQ(records[k].delta, deltas[k]) << k;
        EXPECT_EQ(records[k].event, events[k]) << k;
    }

    // Starting behind every note leaves the lead-in; no track at all leaves nothing.
    info = BuildJobStream(song, *tracks, 960, 1920, flags);
    ASSERT_EQ(info.result, StreamBuildResult::built);
    records = RecordsOf(streamFills[0]);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].delta, 5u);
    const std::uint8_t none[kMaxTracks] = {};
    EXPECT_EQ(BuildJobStream(song, *tracks, 0, 1000, none).result, StreamBuildResult::empty);
    EXPECT_EQ(StreamFillCount(), 0u);
}

}  // namespace
}  // namespace solvena
