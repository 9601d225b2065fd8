// How a run judges and reports its recordings: the level meter over every sample depth, and the
// texts of run mode's clock, the level column and the report at the end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/LevelMeter.h"
#include "engine/RunTexts.h"

namespace solvena {
namespace {

struct MeterCase {
    const char* name;
    std::uint16_t bits;
    std::vector<std::uint8_t> bytes;
    double peakDbfs;  // -INFINITY for pure silence
    std::uint64_t clipped;
    bool silent;
};

TEST(LevelMeter, PeakClipsAndSilenceAtEveryDepth) {
    const double inf = INFINITY;
    const std::vector<MeterCase> cases = {
        {"16-bit zeros", 16, {0, 0, 0, 0}, -inf, 0, true},
        {"16-bit half scale, both signs", 16, {0x00, 0x40, 0x00, 0xC0}, -6.0206, 0, false},
        {"16-bit extremes and the negative mirror", 16, {0xFF, 0x7F, 0x00, 0x80, 0x01, 0x80, 0xFE, 0x7F}, 0.0, 3, false},
        {"16-bit 32 is just below -60 dBFS", 16, {32, 0}, -60.206, 0, true},
        {"16-bit 33 is just above", 16, {33, 0}, -59.939, 0, false},
        {"8-bit 128 is silence", 8, {128, 128}, -inf, 0, true},
        {"8-bit half scale, both signs", 8, {192, 64}, -6.0206, 0, false},
        {"8-bit extremes", 8, {255, 0, 1}, 0.0, 3, false},
        {"24-bit half scale negative", 24, {0x00, 0x00, 0xC0}, -6.0206, 0, false},
        {"24-bit extremes", 24, {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}, 0.0, 2, false},
        {"32-bit quarter scale", 32, {0, 0, 0, 0x20}, -12.0412, 0, false},
        {"32-bit most negative", 32, {0, 0, 0, 0x80}, 0.0, 1, false},
    };
    for (const MeterCase& c : cases) {
        SCOPED_TRACE(c.name);
        LevelMeter meter;
        meter.Start(c.bits);
        meter.Add(c.bytes.data(), c.bytes.size());
        const RecordingLevels levels = meter.Levels();
        if (std::isinf(c.peakDbfs)) {
            EXPECT_TRUE(std::isinf(levels.peakDbfs) && levels.peakDbfs < 0) << levels.peakDbfs;
        } else {
            EXPECT_NEAR(levels.peakDbfs, c.peakDbfs, 0.01);
        }
        EXPECT_EQ(levels.clipped, c.clipped);
        EXPECT_EQ(levels.samples, c.bytes.size() / (c.bits / 8));
        EXPECT_EQ(IsSilent(levels), c.silent);
        EXPECT_EQ(IsClipped(levels), c.clipped > 0);
    }
}

TEST(LevelMeter, SamplesSplitBetweenBuffersAreMeasuredWhole) {
    // 24-bit: a loud sample whose bytes arrive in two pieces, then one in three.
    const std::vector<std::uint8_t> bytes = {0x00, 0x00, 0x20, 0xFF, 0xFF, 0x7F, 0x10, 0x00, 0x00};
    LevelMeter whole;
    whole.Start(24);
    whole.Add(bytes.data(), bytes.size());
    for (std::size_t cut : {1u, 2u, 4u, 5u, 7u}) {
        LevelMeter pieces;
        pieces.Start(24);
        pieces.Add(bytes.data(), cut);
        pieces.Add(bytes.data() + cut, 1);
        pieces.Add(bytes.data() + cut + 1, bytes.size() - cut - 1);
        EXPECT_EQ(pieces.Levels().clipped, 1u) << "cut at " << cut;
        EXPECT_EQ(pieces.Levels().samples, 3u);
        EXPECT_DOUBLE_EQ(pieces.Levels().peakDbfs, whole.Levels().peakDbfs);
    }
    // A new recording forgets the last one, half sample included.
    whole.Add(bytes.data(), 1);
    whole.Start(16);
    EXPECT_EQ(whole.Levels().samples, 0u);
    EXPECT_TRUE(IsSilent(whole.Levels()));
}

TEST(RunTexts, ClockAndLevels) {
    EXPECT_EQ(RunTimeText(0, 0), "0:00 / 0:00");
    EXPECT_EQ(RunTimeText(65, 3600), "1:05 / 60:00");
    const struct { std::uint64_t elapsed, expected; int permille; } bars[] = {
        {0, 10000, 0}, {5000, 10000, 500}, {9999, 10000, 999}, {20000, 10000, 1000}, {0, 0, 1000}};
    for (const auto& b : bars) EXPECT_EQ(JobProgressPermille(b.elapsed, b.expected), b.permille) << b.elapsed;

    EXPECT_EQ(DbfsText(-INFINITY), "-∞");
    EXPECT_EQ(DbfsText(-0.0003), "0.0");
    EXPECT_EQ(DbfsText(-12.34), "-12.3");
    EXPECT_EQ(LevelCellText({-72.0, 0, 100}), "無音");
    EXPECT_EQ(LevelCellText({0.0, 5, 100}), "クリップ 5");
    EXPECT_EQ(LevelCellText({-12.34, 0, 100}), "-12.3dB");
}

RecordedJob Recorded(std::int32_t position, const char* path, RecordingLevels levels) {
    RecordedJob job;
    job.position = position;
    job.wavPath = path;
    job.levels = levels;
    job.seconds = 75;
    return job;
}

TEST(RunTexts, ReportNamesOnlyTheRecordingsToRedo) {
    EXPECT_EQ(RunReportText({Recorded(0, "C:\\a.wav", {-12.0, 0, 10})}, 1), "");

    const std::vector<RecordedJob> mixed = {Recorded(0, "C:\\a.wav", {-12.0, 0, 10}),
                                            Recorded(1, "C:\\silent.wav", {-INFINITY, 0, 10}),
                                            Recorded(2, "C:\\loud.wav", {0.0, 1234, 10})};
    const std::string report = RunReportText(mixed, 3);
    EXPECT_EQ(report.find("a.wav"), std::string::npos);
    EXPECT_NE(report.find("ジョブ 2/3: C:\\silent.wav\n  無音です (ピーク -∞ dBFS)"), std::string::npos) << report;
    EXPECT_NE(report.find("ジョブ 3/3: C:\\loud.wav\n  音が割れています (クリップ 1234 サンプル, ピーク 0.0 dBFS)"),
              std::string::npos)
        << report;

    // However many there are, the box stays readable: sixteen named, the rest counted.
    std::vector<RecordedJob> many;
    for (std::int32_t i = 0; i < 20; ++i) many.push_back(Recorded(i, "x.wav", {-80.0, 0, 10}));
    const std::string long_report = RunReportText(many, 20);
    EXPECT_NE(long_report.find("ジョブ 16/20"), std::string::npos);
    EXPECT_EQ(long_report.find("ジョブ 17/20"), std::string::npos);
    EXPECT_NE(long_report.find("ほかに 4 件"), std::string::npos);
}

// A file that is not all there is named, at a good level too, with what happened to it.
TEST(RunTexts, ReportNamesRecordingsThatAreNotAllThere) {
    struct Case {
        void (*spoil)(RecordedJob&);
        const char* line;
    } const cases[] = {
        {[](RecordedJob& j) { j.cut = true; }, "  WAVファイルの大きさの上限で打ち切られました (1:15 まで)。\n"},
        {[](RecordedJob& j) { j.writeFailed = true; }, "  書き込みに失敗し、1:15 までしか残っていません。\n"},
        {[](RecordedJob& j) { j.gaps = true; }, "  録音バッファを戻せなかったため、途切れている所があるかもしれません。\n"},
        {[](RecordedJob& j) { j.brokeOff = JobFailure::playbackStalled; },
         "  MIDIデバイスが演奏の終わりを知らせず、打ち切られました (1:15 まで)。\n"},
        {[](RecordedJob& j) { j.brokeOff = JobFailure::captureStopped; }, "  録音が途中で止まりました (1:15 まで)。\n"},
        {[](RecordedJob& j) { j.captureGaps = {{70.4, 1500}}; },
         "  1:10 から 1.50 秒間、入力が途切れていました (無音で埋めてあります)。\n"},
        {[](RecordedJob& j) { j.clock = {true, 900, 75, true, 12.34}; },
         "  演奏を録音デバイスのクロックに合わせきれませんでした (最大 12.3 ms のずれ)。\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RecordedJob job = Recorded(0, "C:\\take.wav", {-12.0, 0, 10});
        c.spoil(job);
        EXPECT_TRUE(NeedsCheck(job));
        EXPECT_NE(RunReportText({job}, 1).find(std::string("ジョブ 1/1: C:\\take.wav\n") + c.line), std::string::npos);
    }
}

// A capture's clock that differed from the system's by more than its crystal is made to is named
// with the figure and what it would have cost at the end: among the files to redo when there is
// more to say of it, else after them.
TEST(RunTexts, ReportNamesTheClocksItCorrected) {
    RecordedJob fast = Recorded(0, "C:\\fast.wav", {-12.0, 0, 10});
    fast.clock = {true, 152.3, 180, false, 0};
    RecordedJob steady = Recorded(1, "C:\\steady.wav", {-12.0, 0, 10});
    steady.clock = {true, -15, 180, false, 0};
    // 35 ppm, but known only to 10: a short job's looks cannot tell it from no difference.
    RecordedJob unsure = Recorded(1, "C:\\unsure.wav", {-12.0, 0, 10});
    unsure.clock = {true, 35, 20, false, 0, 10};
    RecordedJob loud = Recorded(2, "C:\\loud.wav", {0.0, 3, 10});
    loud.clock = {true, -80, 60, false, 0};

    EXPECT_FALSE(NeedsCheck(fast));
    EXPECT_EQ(RunReportText({steady, unsure}, 3), "");
    const std::string report = RunReportText({fast, steady, loud}, 3);
    const std::size_t redo = report.find("ジョブ 3/3: C:\\loud.wav\n  音が割れています");
    const std::size_t corrected = report.find("次のWAVファイルは、録音デバイスのクロックのずれに演奏を合わせて録音しました。");
    ASSERT_NE(redo, std::string::npos) << report;
    ASSERT_NE(corrected, std::string::npos) << report;
    EXPECT_LT(redo, corrected);
    EXPECT_NE(report.find("クリップ 3 サンプル, ピーク 0.0 dBFS)。音源か入力の音量を下げて下さい。\n  クロック差 -80 ppm(終わりで 5 ms)を補正しました。"),
              std::string::npos) << report;
    EXPECT_NE(report.find("ジョブ 1/3: C:\\fast.wav\n  クロック差 +152 ppm(終わりで 27 ms)を補正しました。\n", corrected),
              std::string::npos) << report;
    EXPECT_EQ(report.find("steady.wav"), std::string::npos);
}

}  // namespace
}  // namespace solvena
