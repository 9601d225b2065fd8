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

// Appended piece by piece: gcc 12 warns about its own copy in a chain of operator+.
std::string Quoted(const std::string& path) {
    std::string text = "\"";
    text.append(path).append("\"");
    return text;
}

class UnattendedRun : public RecordingRun {
protected:
    // Runs the test's copy of the program with `arguments` until it ends by itself; its exit code,
    // and every box it showed (each answered with its first button), or nothing when it had not
    // ended after `timeoutMs`.
    std::optional<DWORD> RunToItsEnd(const std::string& arguments, std::vector<std::string>* boxes, DWORD timeoutMs) {
        std::string commandLine = Quoted(PathOf("solvena-loopback.exe"));
        commandLine.append(" ").append(arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            return std::nullopt;
        }
        const ULONGLONG until = GetTickCount64() + timeoutMs;
        while (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT && GetTickCount64() < until) {
            if (const std::optional<SeenMessageBox> box = WaitForMessageBox(info.dwProcessId, 200)) {
                boxes->push_back(ToUtf8(box->text.bytes));
                AnswerMessageBox(*box, box->buttons.empty() ? IDOK : box->buttons.front());
            }
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        if (code == STILL_ACTIVE) TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        if (code == STILL_ACTIVE) return std::nullopt;
        return code;
    }

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


// A job list recorded from the command line: nobody answers a box, so none is shown; an existing
// file is kept unless /overwrite is given, and the report beside the list and the exit code say so.
TEST_F(UnattendedRun, AListRecordedFromTheCommandLineShowsNoBoxAndReportsBesideIt) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    TerminateProcess(Process(), 0);
    const std::string list = PutList("夜の ジョブ.list", ThreeJobs());
    const std::string kept = "not a WAV, but the user's";
    Put("b.wav", kept);
    struct Case {
        const char* switches;
        DWORD exitCode;
        const char* outcomes[3];
    } const cases[] = {
        {"", 1, {"recorded", "exists", "recorded"}},
        {" /overwrite", 0, {"recorded", "recorded", "recorded"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.switches);
        std::vector<std::string> boxes;
        std::string arguments = "/run ";
        arguments.append(Quoted(list)).append(c.switches);
        const std::optional<DWORD> code = RunToItsEnd(arguments, &boxes, 90000);
        ASSERT_TRUE(code.has_value()) << "the program did not end by itself";
        EXPECT_EQ(*code, c.exitCode);
        EXPECT_TRUE(boxes.empty()) << boxes.front();
        std::string expected;
        for (int i = 0; i < 3; ++i) {
            const std::string wav = PathOf(std::string(1, static_cast<char>('a' + i)) + ".wav");
            expected.append(std::to_string(i + 1)).append("\t").append(c.outcomes[i]).append("\t").append(wav).append("\r\n");
        }
        const std::string report = Bytes("夜の ジョブ.list.log");
        EXPECT_EQ(report.substr(0, expected.size()), expected) << report;
        EXPECT_EQ(NumberOf(Check("info", {PathOf("c.wav")}), "wave_ok"), 1);
        if (c.exitCode == 1) {
            EXPECT_EQ(Bytes("b.wav"), kept);
        }
    }
    EXPECT_EQ(NumberOf(Check("info", {PathOf("b.wav")}), "wave_ok"), 1) << "overwritten at last";

    // A list that cannot be read, and one given with a switch not understood: nothing recorded,
    // the reason beside the list, and still no box.
    for (const char* after : {"", " /bogus"}) {
        std::vector<std::string> boxes;
        std::string arguments = "/run ";
        arguments.append(Quoted(PathOf("missing.list"))).append(after);
        EXPECT_EQ(RunToItsEnd(arguments, &boxes, 30000), std::optional<DWORD>(2)) << after;
        EXPECT_TRUE(boxes.empty()) << after;
        EXPECT_NE(Bytes("missing.list.log"), "") << "the reason is in the report";
        DeleteFileA(PathOf("missing.list.log").c_str());
    }
}

}  // namespace
}  // namespace uidriver
