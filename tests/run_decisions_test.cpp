// The run's portable decisions: which stream buffer comes back and what goes into it, how much a
// WAV file can hold, the report tables' gaps and the texts built around paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/DeviceReports.h"
#include "engine/RunTexts.h"
#include "engine/StreamFeed.h"
#include "jobs/RecordingJob.h"

namespace solvena {
namespace {

// Plays a stream of `fills` through the feed; `stillPlaying` lists the notifications (1-based)
// at which the device still holds the finished buffer for one try. Returns the fills in the
// order they were queued, and checks each lands in the buffer its predecessor left.
std::vector<std::size_t> Play(std::size_t fills, std::vector<std::size_t> stillPlaying = {}) {
    StreamFeed feed;
    feed.Start(fills);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < feed.InitialFills(); ++i) order.push_back(i);
    feed.Queued(feed.InitialFills());
    for (std::size_t n = 1; n <= fills; ++n) {
        feed.FillFinished();
        const bool held = std::find(stillPlaying.begin(), stillPlaying.end(), n) != stillPlaying.end();
        while (feed.HasFinishedBuffer() && !held) {
            const std::size_t buffer = feed.FinishedBuffer();
            if (auto next = feed.TakeBack()) {
                EXPECT_EQ(*next % 8, buffer) << "fill " << *next;
                order.push_back(*next);
            }
        }
    }
    return order;
}

TEST(StreamFeed, QueuesAheadAndRefillsInOrder) {
    struct Case {
        std::size_t fills;
        std::vector<std::size_t> stillPlaying;
    };
    for (const Case& c : {Case{1, {}}, Case{3, {}}, Case{8, {}}, Case{9, {}}, Case{20, {}}, Case{20, {1, 2, 9}}}) {
        std::vector<std::size_t> expected(c.fills);
        for (std::size_t i = 0; i < c.fills; ++i) expected[i] = i;
        EXPECT_EQ(Play(c.fills, c.stillPlaying), expected) << c.fills << " fills";
    }
}

TEST(StreamFeed, NeverTakesBackMoreThanWasQueued) {
    StreamFeed feed;
    feed.Start(10);
    feed.Queued(3);  // the device refused the fourth
    for (int i = 0; i < 5; ++i) feed.FillFinished();
    int taken = 0;
    while (feed.HasFinishedBuffer()) {
        EXPECT_TRUE(feed.TakeBack().has_value());
        ++taken;
    }
    EXPECT_EQ(taken, 3);
}

TEST(WavLimits, RiffSizesStayWithin32Bits) {
    // RIFF size = the header less 8 + data + pad + the chunks after the data must fit in 32 bits,
    // with whole frames.
    for (std::uint64_t trailer : {0, 186}) {
        for (std::uint16_t align : {1, 2, 3, 4, 6, 8}) {
            const std::uint64_t fixed = kWavHeaderBytes - 8 + trailer, max = MaxWavDataBytes(align, trailer);
            EXPECT_EQ(max % align, 0u) << align;
            EXPECT_LE(fixed + max + max % 2, 0xFFFFFFFFull) << align;
            EXPECT_GT(fixed + max + align + (max + align) % 2, 0xFFFFFFFFull) << "one more frame would not fit, " << align;
        }
    }
    const std::uint64_t max = MaxWavDataBytes(8);
    EXPECT_EQ(WavBytesToAppend(0, 131072, 8), 131072u);
    EXPECT_EQ(WavBytesToAppend(max - 1000, 131072, 8), 1000u);
    EXPECT_EQ(WavBytesToAppend(max, 131072, 8), 0u);
}

// A tenth of a second of whole frames in every format of the lists (16.4 s in the smallest format
// and 85 ms in the largest were what fixed-size buffers held), worked out by hand with what the
// queue promises: a stall of the user-interface thread of 1.9 s loses nothing, as the device
// fills the other buffers meanwhile, and a killed run loses only the buffer being filled beside the
// last second the file has yet to declare.
TEST(CaptureBuffers, HoldTheSameTimeInEveryFormat) {
    struct Case {
        std::uint32_t rate;
        std::uint16_t blockAlign;
        std::uint32_t bytes;
        std::uint32_t stallBytes;  // 1.9 s
    } const cases[] = {
        {8000, 1, 800, 15200},     {11025, 2, 2206, 41895},        {22050, 3, 6615, 125685},
        {44100, 4, 17640, 335160}, {96000, 6, 57600, 1094400},     {192000, 8, 153600, 2918400},
        {0, 4, 4, 0},  // no rate: still a frame to record into
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CaptureBufferBytes(c.rate, c.blockAlign), c.bytes) << c.rate << " Hz, " << c.blockAlign;
        EXPECT_GE(kCaptureBufferCount * CaptureBufferBytes(c.rate, c.blockAlign), c.stallBytes + c.bytes)
            << c.rate << " Hz: a 1.9 s stall with one buffer at the device";
    }
}

TEST(WavLimits, BrokenOffFilesDeclareEvenWholeFrames) {
    struct Case {
        std::uint64_t written;
        std::uint16_t align;
        std::uint64_t declared;
    };
    for (const Case& c : {Case{1001, 1, 1000}, Case{1001, 2, 1000}, Case{1003, 4, 1000}, Case{1000, 3, 996},
                          Case{1001, 6, 996}, Case{5, 8, 0}}) {
        EXPECT_EQ(DeclarableDataBytes(c.written, c.align), c.declared) << c.written << " / " << c.align;
    }
}

TEST(DeviceReports, OnlyListedCodesOfEachCallAreReported) {
    EXPECT_EQ(ReportText(ReportCall::captureOpen, 0), nullptr);
    EXPECT_EQ(ReportText(ReportCall::captureOpen, 5), nullptr) << "5 is listed for other calls only";
    EXPECT_STREQ(ReportText(ReportCall::captureAdd, 6), "録音ドライバが存在しません。");
    EXPECT_STREQ(ReportText(ReportCall::recycleAdd, 6), "録音ドイライバが存在しません。") << "the recycle texts differ";
    EXPECT_STREQ(ReportText(ReportCall::streamOut, 5), "MIDIデバイスのハンドルが不正です。");
}

TEST(RunTexts, PathsAreShownWhole) {
    const std::string longPath = "C:\\" + std::string(600, 'x') + "\\song.wav";
    const std::string text = WithPath(kTargetExistsQuestion, longPath);
    EXPECT_EQ(text, "ファイル「" + longPath + "」は既に存在します。\n上書きしますか？");
    EXPECT_EQ(WithPath(kTargetExistsQuestion, "100%s.wav"), "ファイル「100%s.wav」は既に存在します。\n上書きしますか？");
    EXPECT_EQ(ProgressText(0, 3), "録音中... 1/3");
    EXPECT_EQ(ProgressText(2, 3), "録音中... 3/3");
    const std::string failure =
        JobFailureText(JobFailure::songUnreadable, 1, 3, AfterFailure::nextJob, "b.mid", "b.wav");
    EXPECT_NE(failure.find("2/3"), std::string::npos);
    EXPECT_NE(failure.find("b.mid"), std::string::npos);
    EXPECT_NE(failure.find("b.wav"), std::string::npos);
}

// The failure box says the run goes on only when a later job is switched on and will be tried.
TEST(RunTexts, AFailureTextSaysWhatTheRunDoesNext) {
    struct Case {
        std::vector<std::uint8_t> enabled;  // of the stacked jobs, in run order
        std::int32_t position;              // of the job that failed
        AfterFailure after;
    };
    const Case cases[] = {
        {{1, 1, 1}, 0, AfterFailure::nextJob},
        {{1, 1, 1}, 1, AfterFailure::nextJob},
        {{1, 1, 1}, 2, AfterFailure::runEnds},  // the last job
        {{1, 0, 0}, 0, AfterFailure::runEnds},  // the later ones are off
        {{1, 0, 1}, 0, AfterFailure::nextJob},
        {{0, 1, 0}, 1, AfterFailure::runEnds},  // earlier jobs do not count
        {{1}, 0, AfterFailure::runEnds},
    };
    for (const Case& c : cases) {
        std::vector<RecordingJob> stacked(c.enabled.size());
        for (std::size_t i = 0; i < stacked.size(); ++i) stacked[i].enabled = c.enabled[i];
        EXPECT_EQ(AfterFailureAt(stacked, c.position), c.after) << c.position << " of " << stacked.size();
    }
    const auto ending = [](AfterFailure after) {
        const std::string text = JobFailureText(JobFailure::captureStopped, 0, 1, after, "a.mid", "a.wav", 75);
        return text.substr(text.rfind('\n') + 1);
    };
    EXPECT_EQ(ending(AfterFailure::nextJob), "次のジョブに進みます。");
    EXPECT_EQ(ending(AfterFailure::runEnds), "録音を終了します。");
}

}  // namespace
}  // namespace solvena
