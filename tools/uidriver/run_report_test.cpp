// What a run tells the user about each job: run mode's clock and progress bar while a job records,
// and at the end the report of recordings to redo (silent or clipped), with the rows' icons and
// level column. The numbers are checked against an independent reading of the WAV files.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonControls.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

using solvena::test::QuarterNoteSong;
using solvena::test::SongNote;
using solvena::test::SongWithNotes;

constexpr int kRecordButtonId = 14;
constexpr int kLevelColumn = 9;

bool Contains(const AnsiText& text, const std::string& part) {
    return text.bytes.find(AnsiText(part.c_str()).bytes) != std::string::npos;
}

using RunReport = RecordingRun;

TEST_F(RunReport, RunModeShowsTheJobsClockAndProgress) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    const std::string song = Put("song.mid", QuarterNoteSong(8, 240, 500000));  // 3.75 s of music
    solvena::RecordingJob job = Job(song, PathOf("clock.wav"), 44100, 16, 2, 1);
    job.expectedSeconds = 4;  // as stacking counts it: 3 whole seconds of music and the reverb
    ASSERT_TRUE(LoadList(PutList("clock.list", {job})));

    HWND clock = Control("jobTimeLabel");
    HWND bar = Control("jobProgressBar");
    ASSERT_TRUE(Click(GetDlgItem(JobStack(), kRecordButtonId)));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(clock) == AnsiText("0:02 / 0:04"); }, 10000)) << ToUtf8(TextOf(clock).bytes);
    const auto position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    EXPECT_GE(position, 450) << "two of four seconds";
    EXPECT_LE(position, 750);
    EXPECT_TRUE(IsWindowVisible(clock));
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(Contains(TextOf(Control("jobLevelLabel")), "入力レベル -")) << "the input's peak, as it records";
    EXPECT_EQ(TextOf(Control("progressLabel")), AnsiText("録音中... 1/1"));
    ShowWindow(JobStack(), SW_HIDE);
    Settle(Main());
    SavePicture(Main(), "run-mode-clock");

    ASSERT_TRUE(WaitUntil([&] { return TextOf(Control("progressLabel")) == AnsiText("録音が終了しました。"); }, 20000));
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 1000) << "the recording ran its expected time";
    EXPECT_TRUE(Contains(TextOf(clock), " / 0:04")) << ToUtf8(TextOf(clock).bytes);
}

TEST_F(RunReport, TheFinishNamesSilentAndClippedRecordings) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    const std::string soft = Put("soft.mid", QuarterNoteSong(3, 240, 500000));
    // Eight full-velocity notes at once: the virtual synthesizer's sum goes past full scale.
    std::vector<SongNote> chord;
    for (std::uint8_t i = 0; i < 8; ++i) chord.push_back({0, 480, 0, static_cast<std::uint8_t>(60 + 4 * i), 127});
    const std::string loud = Put("loud.mid", SongWithNotes(480, {{0, 500000}}, chord));
    solvena::RecordingJob conductorOnly = Job(soft, PathOf("silent.wav"), 22050, 16, 1, 1);
    conductorOnly.trackEnabled[1] = 0;  // the tempo track alone: nothing sounds
    ASSERT_TRUE(LoadList(PutList("three.list", {Job(soft, PathOf("fine.wav"), 44100, 16, 2, 1), conductorOnly,
                                                Job(loud, PathOf("loud.wav"), 44100, 24, 2, 1)})));

    const RunLog log = RecordAndFollow(60000, {}, true);
    ASSERT_TRUE(log.finished);
    EXPECT_TRUE(log.boxes.empty()) << ToUtf8(log.boxes.front().text.bytes);
    ASSERT_TRUE(log.report.has_value()) << "no report of the silent and clipped recordings";
    SavePicture(log.report->dialog, "run-report");
    const AnsiText& report = log.report->text;
    EXPECT_EQ(log.report->caption, AnsiText("録音結果"));
    EXPECT_FALSE(Contains(report, "fine.wav")) << ToUtf8(report.bytes);
    EXPECT_TRUE(Contains(report, "ジョブ 2/3: " + PathOf("silent.wav") + "\n  無音です (ピーク -∞ dBFS)"))
        << ToUtf8(report.bytes);
    const CheckResult loudLevels = Check("levels", {PathOf("loud.wav")});
    EXPECT_GT(NumberOf(loudLevels, "clipped"), 0);
    EXPECT_TRUE(Contains(report, "ジョブ 3/3: " + PathOf("loud.wav") + "\n  音が割れています (クリップ " +
                                     ValueOf(loudLevels, "clipped") + " サンプル, ピーク 0.0 dBFS)"))
        << ToUtf8(report.bytes);
    ASSERT_TRUE(AnswerMessageBox(*log.report, IDOK));

    // The rows say the same: the recorded icon for the good take, the warning icon for the others.
    EXPECT_EQ(RowIcons(), (std::vector<int>{3, 4, 4}));
    const CheckResult fineLevels = Check("levels", {PathOf("fine.wav")});
    EXPECT_EQ(ListCell(Process(), JobList(), 0, kLevelColumn), AnsiText((ValueOf(fineLevels, "peak_dbfs") + "dB").c_str()));
    EXPECT_EQ(ListCell(Process(), JobList(), 1, kLevelColumn), AnsiText("無音"));
    EXPECT_EQ(ListCell(Process(), JobList(), 2, kLevelColumn),
              AnsiText(("クリップ " + ValueOf(loudLevels, "clipped")).c_str()));
    SavePicture(JobStack(), "rows-with-levels");
}

}  // namespace
}  // namespace uidriver
