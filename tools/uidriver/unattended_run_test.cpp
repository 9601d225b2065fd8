// Runs nobody watches: a run killed in the middle is taken up again at the next start, and a job
// list is recorded from the command line without a box, its outcome in a report and the exit code.
#include <windows.h>

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

constexpr int kRecordButtonId = 14;
constexpr int kRecordedIcon = 3;
constexpr int kOffIcon = 1;

class UnattendedRun : public RecordingRun {
protected:
    // Three jobs of about 4 s each, into a.wav, b.wav and c.wav.
    std::vector<solvena::RecordingJob> ThreeJobs() {
        const std::string song = Put("short.mid", QuarterNoteSong(8, 240, 500000));
        std::vector<solvena::RecordingJob> jobs;
        for (const char* wav : {"a.wav", "b.wav", "c.wav"}) jobs.push_back(Job(song, PathOf(wav), 44100, 16, 2, 0));
        return jobs;
    }
};

TEST_F(UnattendedRun, ARunKilledInTheMiddleIsTakenUpAgainAtTheNextStart) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(LoadList(PutList("three.list", ThreeJobs())));
    ASSERT_TRUE(Click(GetDlgItem(JobStack(), kRecordButtonId)));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(Control("progressLabel")) == AnsiText("録音中... 2/3"); }, 30000));
    Sleep(1500);
    ASSERT_TRUE(TerminateProcess(Process(), 9));
    ASSERT_EQ(WaitForSingleObject(Process(), 10000), WAIT_OBJECT_0);
    const std::string finished = Bytes("a.wav");
    ASSERT_FALSE(finished.empty());
    EXPECT_FALSE(Bytes("run-journal.txt").empty()) << "the killed run left its journal";

    ASSERT_TRUE(Relaunch());
    const std::optional<SeenMessageBox> offer = WaitForMessageBox(GetProcessId(Process()), 10000);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->caption, AnsiText("確認"));
    EXPECT_EQ(offer->text, AnsiText("前回の録音は 3 件中 2 件目の途中で終わっています。残りのジョブを録音できるように、"
                                    "スタックを前回の状態に戻しますか？"));
    ASSERT_TRUE(AnswerMessageBox(*offer, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return RowIcons().size() == 3; }, 5000));
    EXPECT_EQ(RowIcons(), (std::vector<int>{kOffIcon, 0, 0})) << "the finished job switched off";

    // b.wav, broken off, is there: its question is answered with its first button, はい.
    const RunLog log = RecordAndFollow(60000);
    ASSERT_TRUE(log.finished);
    EXPECT_EQ(RowIcons(), (std::vector<int>{kOffIcon, kRecordedIcon, kRecordedIcon}));
    EXPECT_TRUE(Bytes("a.wav") == finished) << "the file finished before the kill is untouched";
    for (const char* wav : {"b.wav", "c.wav"}) {
        const CheckResult info = Check("info", {PathOf(wav)});
        EXPECT_EQ(NumberOf(info, "wave_ok"), 1) << wav;
        EXPECT_GE(NumberOf(info, "seconds"), 3.5) << wav;
    }
    EXPECT_TRUE(WaitUntil([&] { return Bytes("run-journal.txt").empty(); }, 5000)) << "a finished run leaves none";
}

}  // namespace
}  // namespace uidriver
