#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "loopback/VirtualStream.h"
#include "support/StreamRecords.h"

namespace solvena::devices {
namespace {

using test::StreamRecords;

std::vector<double> Times(StreamTimeline& timeline, StreamRecords records, double now) {
    std::vector<double> times;
    for (const TimedRecord& t : timeline.Place(DecodeQueuedRecords(records.Bytes()), now)) times.push_back(t.time);
    return times;
}

TEST(VirtualStream, DecodingGivesEachWholeRecordItsOffset) {
    StreamRecords records;
    records.Short(5, 0x403C90, true).Long(0, {0xF0, 0x7E, 0x7F, 0x09, 0xF7}).Tempo(7, 250000);
    records.Bytes().resize(records.Size() + 8, 0);  // a record cut short: not played
    const std::vector<QueuedRecord> decoded = DecodeQueuedRecords(records.Bytes());
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(decoded[1].offset, 12u);
    EXPECT_EQ(decoded[2].offset, 32u);  // after 12 + 5 bytes padded to 8
    EXPECT_TRUE(IsShortMessageRecord(decoded[0].event) && HasCallbackFlag(decoded[0].event));
    EXPECT_FALSE(IsShortMessageRecord(decoded[1].event) || IsTempoRecord(decoded[1].event));
    EXPECT_TRUE(IsTempoRecord(decoded[2].event) && !HasCallbackFlag(decoded[2].event));
}

TEST(VirtualStream, RecordTimesFollowDivisionAndTempo) {
    struct Case {
        std::uint32_t division;  // 0: left at its default
        StreamRecords records;
        std::vector<double> times;  // seconds after the origin
    };
    const Case cases[] = {
        {0, StreamRecords().Nop(0).Nop(96).Nop(48), {0, 0.5, 0.75}},  // 96 ticks, 500,000 us
        {480, StreamRecords().Nop(240).Nop(0, true), {0.25, 0.25}},
        {480, StreamRecords().Tempo(480, 250000).Nop(480).Tempo(0, 1000000).Nop(240), {0.5, 0.75, 0.75, 1.25}},
        {0x7FFF, StreamRecords().Nop(0x7FFF), {0.5}},
    };
    for (const Case& c : cases) {
        StreamTimeline timeline;
        EXPECT_EQ(timeline.SetDivision(c.division), c.division != 0);
        timeline.Start(10.0);
        const std::vector<double> times = Times(timeline, c.records, 10.0);
        ASSERT_EQ(times.size(), c.times.size());
        for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], 10.0 + c.times[i], 1e-12) << c.division << " " << i;
    }
    StreamTimeline timeline;
    for (std::uint32_t smpte : {0x8000u, 0xE728u, 0x10000u}) EXPECT_FALSE(timeline.SetDivision(smpte)) << smpte;
}

// The position counts whole milliseconds from the restart, as a stream player's clock does: the
// moment it moves is where the run places the stream's start.
TEST(VirtualStream, ThePositionCountsWholeMillisecondsFromTheRestart) {
    VirtualSynth synth;
    VirtualStream stream(1);
    EXPECT_EQ(stream.PositionMs(5.0), 0u) << "paused";
    stream.Restart(10.0, synth);
    const std::pair<double, std::uint32_t> cases[] = {{9.5, 0}, {10.0, 0}, {10.0009, 0}, {10.0011, 1}, {12.3456, 2345}};
    for (const auto& [now, ms] : cases) EXPECT_EQ(stream.PositionMs(now), ms) << now;
}

TEST(VirtualStream, ABufferPlacedLateStartsAtOnceAndKeepsItsSpacing) {
    // The first buffer ends at 1.0; the second's records are 0.5 s after it and 0.25 s apart.
    const std::pair<double, double> cases[] = {{1.2, 1.5}, {1.5, 1.5}, {2.0, 2.0}, {9.0, 9.0}};  // now, first time
    for (const auto& [now, first] : cases) {
        StreamTimeline timeline;
        timeline.Start(0);
        Times(timeline, StreamRecords().Nop(0).Nop(192), 0);
        EXPECT_EQ(Times(timeline, StreamRecords().Nop(96).Nop(48), now), (std::vector<double>{first, first + 0.25}));
        EXPECT_EQ(Times(timeline, StreamRecords().Nop(96), now), std::vector<double>{first + 0.75}) << "counts on";
    }
}

// Notifications as (message, header index).
using Notices = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

struct StreamFixture : ::testing::Test {
    VirtualSynth synth;
    VirtualStream stream{1};
    std::vector<StreamRecords> records;
    std::vector<MidiHeader> headers;

    // Prepared headers over their own records.
    void Buffers(std::vector<StreamRecords> buffers) {
        records = std::move(buffers);
        headers.assign(records.size(), MidiHeader{});
        for (std::size_t i = 0; i < records.size(); ++i) {
            headers[i].data = records[i].Bytes().data();
            headers[i].bufferLength = headers[i].bytesRecorded = records[i].Size();
            ASSERT_EQ(VirtualStream::Prepare(&headers[i]), kMmNoError);
        }
    }

    Notices Due(double now) {
        std::vector<StreamNotice> notices;
        stream.Advance(now, notices);
        Notices out;
        for (const StreamNotice& n : notices) out.emplace_back(n.message, static_cast<std::uint32_t>(n.header - headers.data()));
        return out;
    }
};

TEST_F(StreamFixture, CallbacksAndDoneComeAtTheirTimesInOrder) {
    Buffers({StreamRecords().Short(0, 0x7F4590, true).Short(96, 0x4580, true),
             StreamRecords().Short(48, 0x7F4790).Nop(0, true).Short(96, 0x4780), StreamRecords()});
    EXPECT_EQ(stream.Out(&headers[0], 0, synth), kMmNoError);
    EXPECT_EQ(std::uint32_t{headers[0].flags}, kHeaderPrepared | kMidiHeaderIsStream | kMidiHeaderInQueue);
    EXPECT_EQ(stream.Out(&headers[0], 0, synth), kMidiStillPlaying);
    EXPECT_EQ(VirtualStream::Unprepare(&headers[0]), kMidiStillPlaying);
    for (std::size_t i : {1, 2}) ASSERT_EQ(stream.Out(&headers[i], 0, synth), kMmNoError);
    EXPECT_EQ(Due(100), Notices{});  // paused: nothing plays before the restart
    EXPECT_EQ(synth.PendingCount(), 0u);

    stream.Restart(100, synth);
    EXPECT_EQ(synth.PendingCount(), 4u);
    EXPECT_EQ(Due(100), (Notices{{kMmMomPositionCb, 0}}));
    EXPECT_EQ(Due(100.4999), Notices{});
    EXPECT_EQ(Due(100.5), (Notices{{kMmMomPositionCb, 0}, {kMmMomDone, 0}}));
    EXPECT_EQ(std::uint32_t{headers[0].offset}, 12u);
    EXPECT_EQ(std::uint32_t{headers[0].flags}, kHeaderPrepared | kMidiHeaderIsStream | kHeaderDone);
    EXPECT_EQ(Due(100.75), (Notices{{kMmMomPositionCb, 1}}));
    EXPECT_EQ(std::uint32_t{headers[1].offset}, 12u);
    // The empty buffer comes back only after the one ahead of it.
    EXPECT_EQ(Due(101.25), (Notices{{kMmMomDone, 1}, {kMmMomDone, 2}}));
    EXPECT_EQ(stream.QueuedCount(), 0u);
}

TEST_F(StreamFixture, HeadersOutOfOrderAreRefused) {
    Buffers({StreamRecords().Nop(0)});
    headers[0].bytesRecorded = headers[0].bufferLength + 1;
    EXPECT_EQ(stream.Out(&headers[0], 0, synth), kMmInvalidParam);
    headers[0].bytesRecorded = headers[0].bufferLength;
    EXPECT_EQ(VirtualStream::Unprepare(&headers[0]), kMmNoError);
    EXPECT_EQ(stream.Out(&headers[0], 0, synth), kMidiUnprepared);
    EXPECT_EQ(stream.Out(nullptr, 0, synth), kMmInvalidParam);
    EXPECT_EQ(stream.QueuedCount(), 0u);
}

TEST_F(StreamFixture, CloseDropsWhatIsNotYetDueAndHandsBackTheHeaders) {
    Buffers({StreamRecords().Short(0, 0x7F4590).Short(96, 0x4580), StreamRecords().Short(0, 0x7F4790)});
    stream.Restart(0, synth);
    for (MidiHeader& header : headers) ASSERT_EQ(stream.Out(&header, 0, synth), kMmNoError);
    stream.Close(0.25, synth);
    for (const MidiHeader& header : headers) EXPECT_EQ(header.flags & (kHeaderDone | kMidiHeaderInQueue), kHeaderDone);
    EXPECT_EQ(Due(5), Notices{});
    synth.Apply(5);
    ASSERT_EQ(synth.TakePlayed().size(), 1u);
    synth.Prune(0.2551);  // the note was released at the close
    EXPECT_EQ(synth.VoiceCount(), 0u);
}

}  // namespace
}  // namespace solvena::devices
