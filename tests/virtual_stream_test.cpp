#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
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


// A tempo set while the stream plays: the record awaited keeps its time, the ones after it count
// at the new tempo until the stream's own tempo record. Records A-G (T the tempo record) in three
// buffers; the third is queued just after the set. Sounds come 0.125 s after their times.
TEST_F(StreamFixture, ASetTempoRetimesTheRecordsAfterTheAwaitedOne) {
    struct Case {
        int setMs;  // -1: before the restart at 0
        std::uint32_t tempo;
        std::vector<double> times;  // A B C D T E F G
    };
    const Case cases[] = {
        {-1, 250000, {0, 0.25, 0.5, 0.75, 1, 2, 3, 4}},
        {200, 250000, {0, 0.5, 0.75, 1, 1.25, 2.25, 3.25, 4.25}},
        {550, 250000, {0, 0.5, 1, 1.25, 1.5, 2.5, 3.5, 4.5}},     // B played, its sound not yet heard
        {1700, 250000, {0, 0.5, 1, 1.5, 2, 3, 4, 5}},             // the awaited tempo record overrides
        {2500, 250000, {0, 0.5, 1, 1.5, 2, 3, 3.25, 3.5}},
        {3500, 2000000, {0, 0.5, 1, 1.5, 2, 3, 5, 7}},            // nothing awaited: counts on from E
    };
    const std::size_t callbacks[] = {0, 1, 3, 6}, ends[] = {2, 5, 7};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setMs);
        synth = VirtualSynth();
        stream = VirtualStream(1, 0.125);
        std::uint32_t m[8];
        for (std::uint32_t i = 0; i < 8; ++i) m[i] = test::ShortMessage(0x90, static_cast<std::uint8_t>(60 + i), 100);
        Buffers({StreamRecords().Short(0, m[0], true).Short(96, m[1], true).Short(96, m[2]),
                 StreamRecords().Short(96, m[3], true).Tempo(96, 1000000).Short(96, m[5]),
                 StreamRecords().Short(96, m[6], true).Short(96, m[7])});
        const auto set = [&](double now) {
            EXPECT_EQ(stream.SetTempo(0, now, synth), kMmInvalidParam);
            EXPECT_EQ(stream.SetTempo(0x1000000, now, synth), kMmInvalidParam);
            EXPECT_EQ(stream.SetTempo(c.tempo, now, synth), kMmNoError);
            ASSERT_EQ(stream.Out(&headers[2], now, synth), kMmNoError);
        };
        for (std::size_t i : {0, 1}) ASSERT_EQ(stream.Out(&headers[i], 0, synth), kMmNoError);
        if (c.setMs < 0) set(0);
        stream.Restart(0, synth);
        std::vector<std::tuple<int, std::uint32_t, std::uint32_t>> notices, expected;  // ms, message, header
        for (int ms = 0; ms <= 7500; ++ms) {
            for (const auto& [message, header] : Due(ms / 1000.0)) notices.emplace_back(ms, message, header);
            if (ms == c.setMs) set(ms / 1000.0);
        }
        for (std::uint32_t b = 0; b < 3; ++b) {
            for (std::size_t i : callbacks) {
                if (i > ends[b] || (b > 0 && i <= ends[b - 1])) continue;
                expected.emplace_back(std::lround(c.times[i] * 1000), kMmMomPositionCb, b);
            }
            expected.emplace_back(std::lround(c.times[ends[b]] * 1000), kMmMomDone, b);
        }
        // Within one millisecond the notifications keep buffer order.
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
        EXPECT_EQ(notices, expected);
        synth.Apply(10);
        std::vector<std::pair<double, std::uint32_t>> played, sounds;
        for (const PlayedMessage& p : synth.TakePlayed()) played.emplace_back(p.time, p.message);
        for (std::size_t i : {0, 1, 2, 3, 5, 6, 7}) sounds.emplace_back(c.times[i] + 0.125, m[i]);
        EXPECT_EQ(played, sounds);
    }
}

}  // namespace
}  // namespace solvena::devices
