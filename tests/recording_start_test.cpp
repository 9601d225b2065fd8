// Where a WAV file begins: the frame on which the job's start tick sounds, from the capture's
// position at the stream's start and the lead-in the stream plays first; and which delivered
// bytes the file takes from there.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "engine/CaptureSpan.h"
#include "engine/JobStream.h"
#include "engine/RecordingStart.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

TEST(RecordingStart, TheStartTickFallsAfterTheLeadInAtItsOwnTempos) {
    // Tempo 60 from tick 0 and 200 from tick 1000, three controllers at tick 0, a note at 2160.
    test::TrackBuilder conductor, part;
    conductor.Tempo(0, 1000000).Tempo(1000, 300000).EndOfTrack(0);
    part.Event(0, {0xB0, 7, 100}).Event(0, {0xB0, 10, 64}).Event(0, {0xB0, 91, 40});
    part.Event(2160, {0x90, 60, 100}).Event(120, {0x80, 60, 0}).EndOfTrack(0);
    const test::ByteVec song = test::SmfBuilder(1, 2, 480).Track(conductor).Track(part).Bytes();
    // From bar 1 the lead-in is 5 ticks per kept event: the first tempo record at the stream's
    // default 500,000 µs, the controllers and the second tempo record at 1,000,000 µs.
    constexpr double kLeadIn = (5 * 500000.0 + 20 * 1000000.0) / 480e6;
    struct Case {
        std::int32_t startTick;
        std::uint64_t leadInTicks;
        double startSeconds, noteSeconds;  // from the stream's start
        std::uint64_t startFrame;  // of a 48 kHz capture that was at frame 1000 as the stream started
    } const cases[] = {
        {0, 0, 0.0, (1000 * 1000000.0 + 1160 * 300000.0) / 480e6, 1000},
        // 22,500,000 µs of quarters at 480 ticks: 46.875 ms, 2,250 frames.
        {1920, 25, kLeadIn, kLeadIn + 240 * 300000.0 / 480e6, 3250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startTick);
        test::SongHarness harness;
        ASSERT_TRUE(harness.Load(song));
        std::array<std::uint8_t, 64> enabled{1, 1};
        const JobStreamInfo info = BuildJobStream(harness.song, harness.tracks, c.startTick, 0x7FFFFFFF, enabled);
        ASSERT_EQ(info.result, StreamBuildResult::built);
        EXPECT_EQ(info.leadInTicks, c.leadInTicks);
        const double start = StreamSecondsToTick(streamFills, 480, info.leadInTicks);
        EXPECT_NEAR(start, c.startSeconds, 1e-12);
        EXPECT_NEAR(StreamSecondsToTick(streamFills, 480, info.leadInTicks + 2160 - c.startTick), c.noteSeconds, 1e-12);
        EXPECT_EQ(FrameAfter(1000, start, 48000), c.startFrame);
    }
}

TEST(RecordingStart, TheCaptureIsPlacedByItsLeastLaggingLook) {
    // 48 kHz: 48 frames a millisecond. The second look put the first frame at 99.0 ms, the
    // others at 100.0 ms and later.
    const std::vector<ClockReading> looks = {{148.0, 2304}, {119.0, 960}, {130.5, 1440}, {160.0, 2880}};
    ClockReading kept = looks.front();
    for (const ClockReading& look : looks) kept = LeastLagging(kept, look, 48000);
    EXPECT_EQ(kept.count, 960u);
    EXPECT_EQ(LeastLagging(looks[0], looks[1], 0).count, 2304u) << "without a rate nothing is compared";
}

TEST(RecordingStart, AStreamStartedWhereItsCountChangedBetweenTheCallAndTheFirstLook) {
    struct Case {
        const char* name;
        double calledMs;
        std::vector<ClockReading> looks;  // (when, milliseconds played)
        std::optional<double> start;
    } const cases[] = {
        {"the count moves each millisecond", 499.8, {{500.20, 0}, {500.70, 0}, {501.01, 1}, {501.60, 1}, {502.03, 2}},
         500.01},
        {"a look the system held up shows a later start", 499.5, {{500.9, 0}, {504.6, 3}, {505.02, 5}}, 500.02},
        {"a count that never moves tells nothing", 499.0, {{500.0, 7}, {503.0, 7}}, std::nullopt},
        {"one look tells nothing", 499.0, {{500.0, 3}}, std::nullopt},
        // Older players count to the event they play next, and would start the file early.
        {"a count that jumps ahead starts at the call", 500.0, {{500.3, 0}, {500.8, 120}, {501.3, 120}}, 500.0},
        {"one jump ahead among good looks still starts at the call", 500.0,
         {{500.4, 0}, {500.9, 0}, {501.2, 1}, {501.7, 250}}, 500.0},
        {"a count that lags starts at the first look", 500.0, {{500.5, 0}, {505.0, 0}, {509.0, 2}}, 500.5},
        {"a start just after the call stays", 500.0, {{500.6, 0}, {501.1, 0}, {501.3, 1}}, 500.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<double> start = StreamStartMs(c.calledMs, c.looks);
        ASSERT_EQ(start.has_value(), c.start.has_value());
        if (start) {
            EXPECT_NEAR(*start, *c.start, 1e-9);
        }
    }
}

// The bytes a capture delivered, numbered 1, 2, 3 ... per frame (one byte frames), written with
// the silence of gaps as 0.
TEST(CaptureSpan, TheFileTakesTheFramesFromItsStartUpToItsEndAndFillsEveryGap) {
    struct Step {
        char what;  // 'd' delivers `n` frames, 'f' places the start at `n`, 'o' opens a gap after
                    // `n` delivered frames, 'c' closes it with `n` frames
        std::uint64_t n;
    };
    struct Case {
        const char* name;
        std::uint64_t until;  // 0: no end
        std::vector<Step> steps;
        std::vector<int> written;
    } const cases[] = {
        {"nothing is written before the start is placed", 0, {{'d', 3}, {'d', 2}}, {}},
        {"the start inside a piece", 0, {{'d', 2}, {'f', 3}, {'d', 3}, {'d', 1}}, {4, 5, 6}},
        {"an end cuts a piece and drops the rest", 5, {{'f', 1}, {'d', 3}, {'d', 3}, {'d', 2}}, {2, 3, 4, 5}},
        {"a start already delivered takes what comes next", 0, {{'d', 3}, {'f', 1}, {'d', 2}}, {4, 5}},
        {"a gap's silence, then what waited", 0,
         {{'f', 0}, {'d', 2}, {'o', 3}, {'d', 2}, {'d', 2}, {'c', 2}, {'d', 1}}, {1, 2, 3, 0, 0, 4, 5, 6, 7}},
        {"a gap that was none", 0, {{'f', 0}, {'d', 2}, {'o', 2}, {'d', 2}, {'c', 0}, {'d', 1}}, {1, 2, 3, 4, 5}},
        {"a gap opened after its frames were written opens where the writing stands", 0,
         {{'f', 0}, {'d', 4}, {'o', 2}, {'d', 1}, {'c', 1}}, {1, 2, 3, 4, 0, 5}},
        {"a gap before the start moves the start's frame", 0,
         {{'d', 2}, {'o', 2}, {'d', 2}, {'c', 3}, {'f', 8}, {'d', 3}}, {6, 7}},
        {"the end counts the gap's frames", 5, {{'f', 0}, {'d', 2}, {'o', 2}, {'d', 3}, {'c', 2}}, {1, 2, 0, 0, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureSpan span;
        span.Start(1, 0);
        if (c.until > 0) span.Until(c.until);
        std::vector<int> written;
        const CaptureSpan::Write write = [&](const std::uint8_t* bytes, std::uint32_t count) {
            written.insert(written.end(), bytes, bytes + count);
        };
        int next = 1;
        for (const Step& step : c.steps) {
            std::vector<std::uint8_t> piece;
            switch (step.what) {
                case 'd':
                    for (std::uint64_t k = 0; k < step.n; ++k) piece.push_back(static_cast<std::uint8_t>(next++));
                    span.Take(piece, write);
                    break;
                case 'f': span.From(step.n); break;
                case 'o': span.OpenGap(step.n); break;
                default: span.CloseGap(step.n, write); break;
            }
        }
        EXPECT_EQ(written, c.written);
    }
}

}  // namespace
}  // namespace solvena
