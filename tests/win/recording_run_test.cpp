// Runs in the test process against loopback devices: the reports of failing device calls, the
// pre-run questions on real files, and what a run costs the user-interface thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "engine/CaptureLimits.h"
#include "engine/DeviceReports.h"
#include "engine/RunTexts.h"
#include "loopback/seam/Loopback.h"

namespace solvena::testrun {
namespace {

using test::QuarterNoteSong;

std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const SeenBox& box : boxes) texts.push_back(box.text);
    return texts;
}

std::string T(ReportCall call, devices::MmResult code) {
    const char* text = ReportText(call, code);
    return text != nullptr ? text : "<no text>";
}

class RunReports : public RunHarness {};

// Every entry of the three tables: the code injected into its call gives its text first.
TEST_F(RunReports, EveryTableEntryByInjectedCode) {
    struct Row {
        const char* fail;  // the device file's fail line (the recycle rows let the start's calls through)
        bool midi;
        const char* text;
    };
    const Row rows[] = {
        {"open 4", false, "ドライバは使用中です。"},
        {"open 2", false, "存在しない録音デバイスを指定しました。"},
        {"open 6", false, "存在しないwav inドライバを指定しました。"},
        {"open 32", false, "WAVEフォーマット不正です。"},
        {"prepare 5", false, "不正なwav inハンドルです。"},
        {"prepare 6", false, "存在しないwav inドライバを指定しました。"},
        {"prepare 7", false, "メモリ不足です。"},
        {"add 5", false, "不正なwav inハンドルです。"},
        {"add 6", false, "録音ドライバが存在しません。"},
        {"add 7", false, "メモリ不足です。"},
        {"add 34", false, "バッファの確保に失敗しました。"},
        {"start 7", false, "メモリ不足です。"},
        {"start 5", false, "存在しないWAVデバイスを指定しました。"},
        {"start 6", false, "WAVドライバが存在しません。"},
        {"prepare 5 after 20", false, "不正なwav inハンドルです。"},
        {"prepare 6 after 20", false, "録音ドライバが存在しません。"},
        {"prepare 7 after 20", false, "メモリ不足です。"},
        {"add 5 after 20", false, "不正なwav inハンドルです。"},
        {"add 6 after 20", false, "録音ドイライバが存在しません。"},
        {"add 7 after 20", false, "メモリ不足です。"},
        {"add 34 after 20", false, "バッファの用意に失敗しました。"},
        {"open 2", true, "存在しないMIDIデバイスを指定しました。"},
        {"open 11", true, "不正なMIDIパラメータです。"},
        {"open 7", true, "メモリ不足です。"},
        {"restart 7", true, "メモリ不足です。"},
        {"restart 65", true, "バッファは既に使用中です。"},
        {"restart 64", true, "ヘッダの準備に失敗しました。"},
        {"restart 5", true, "不正なMIDIハンドルを指定しました。"},
        {"restart 11", true, "不正なMIDIパラメータです。"},
        {"prepare 5", true, "不正なMIDIデバイスを指定しました。"},
        {"prepare 11", true, "MIDIヘッダ準備に失敗しました。"},
        {"prepare 7", true, "メモリ不足です。"},
        {"out 7", true, "メモリ不足です。"},
        {"out 65", true, "バッファは既に使用中です。"},
        {"out 64", true, "ヘッダの準備に失敗しました。"},
        {"out 5", true, "MIDIデバイスのハンドルが不正です。"},
        {"out 11", true, "不正なMIDIパラメータです。"},
    };
    const std::vector<std::uint8_t> song = QuarterNoteSong(1, 120, 500000);  // 0.125 s
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.midi ? "midiout " : "wavein ") + row.fail);
        const std::string fail = std::string("fail ") + row.fail + "\n";
        SetUpRun("midiout Synth\n" + (row.midi ? fail : "") + "wavein Loop\n" + (row.midi ? "" : fail));
        // The recycle rows need a buffer filled while the song plays: a buffer holds 100 ms.
        AppendStackedJob(Job(TempFile("reports.mid", song), TempName("reports.wav"), 192000, 32, 2));
        ASSERT_TRUE(RecordAll(10000));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.front().text, row.text);
        EXPECT_EQ(boxes.front().caption, kErrorCaption);
        EXPECT_EQ(boxes.front().type, static_cast<UINT>(MB_OK));
        TearDown();
    }
}

TEST_F(RunReports, StartReportsComeInCallOrderThenTheJobIsSkipped) {
    using enum ReportCall;
    SetUpRun("midiout Synth\nfail open 2\nwavein Loop\nfail open 2\n");
    const std::string song = TempFile("order.mid", QuarterNoteSong(1, 120, 500000));
    AppendStackedJob(Job(song, TempName("order.wav")));
    ASSERT_TRUE(RecordAll(10000));
    std::vector<std::string> expected = {T(captureOpen, 2)};
    for (std::size_t i = 0; i < kCaptureBufferCount; ++i) {
        expected.push_back(T(capturePrepare, 5));
        expected.push_back(T(captureAdd, 5));
    }
    // The stream is loaded paused before the capture starts; one that did not load is not started.
    for (const std::string& text : {T(streamOpen, 2), T(streamPrepare, 5), T(streamOut, 5), T(captureStart, 5)}) {
        expected.push_back(text);
    }
    // The only job: the run ends after it.
    expected.push_back(
        JobFailureText(JobFailure::playbackFailed, 0, 1, AfterFailure::runEnds, song, TempName("order.wav")));
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(runModeEntered, 1);
}

// 読込 waits while the questions walk the table, and gets its button back when they cancel the run.
class PreRunQuestions : public RunHarness {
protected:
    static inline bool loadHeld = false;
    static inline bool loadLocked = false;
    static inline std::vector<bool> heldAtBoxes;
    static void Hold(bool held) { loadHeld = held; }
    static void Lock() { loadLocked = true; }
    static int SeeBox(HWND owner, const char* text, const char* caption, UINT type) {
        heldAtBoxes.push_back(loadHeld);
        return RecordBox(owner, text, caption, type);
    }
    void WatchTheLoadLock() {
        loadHeld = loadLocked = false;
        heldAtBoxes.clear();
        engine::MainWindowLink link = engine::CurrentMainWindowLink();
        link.holdLoadList = Hold;
        link.disableLoadList = Lock;
        engine::SetMainWindowLink(link);
        engine::SetMessageBoxFunction(SeeBox);
    }
};

TEST_F(PreRunQuestions, RealFilesAndDevices) {
    struct Case {
        const char* name;
        bool songMissing;
        DWORD targetAttributes;  // 0: no target file
        const char* formatRates;  // the WAVE IN device's rates
        std::deque<int> answers;
        std::vector<const char*> questions;  // the formats asked, in order
        bool runs;                           // the run started (and finished)
        int enabled;
    };
    const Case cases[] = {
        {"everything in place", false, 0, "8000-192000", {}, {}, true, 1},
        {"missing song, Yes", true, 0, "8000-192000", {IDYES}, {kSongMissingQuestion}, true, 0},
        {"read-only and archive target, No", false, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, "8000-192000",
         {IDNO}, {kTargetReadOnlyQuestion}, false, 1},
        {"existing target, Yes: replaced", false, FILE_ATTRIBUTE_NORMAL, "8000-192000", {IDYES},
         {kTargetExistsQuestion}, true, 1},
        {"format the device refuses, Yes", false, 0, "8000", {IDYES}, {kWaveSettingsQuestion}, true, 0},
        {"format the device refuses, No", false, 0, "8000", {IDNO}, {kWaveSettingsQuestion}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpRun(std::string("midiout Synth\nwavein Loop\nrates ") + c.formatRates + "\n");
        const std::string song = c.songMissing ? TempName("missing.mid")
                                               : TempFile("checks.mid", QuarterNoteSong(1, 120, 500000));
        const std::string wav = TempName("checks.wav");
        if (c.targetAttributes != 0) {
            ASSERT_TRUE(testfiles::WriteBytes(wav, std::string(100000, 'x')));
            SetFileAttributesA(wav.c_str(), c.targetAttributes);
        }
        AppendStackedJob(Job(song, wav));
        answers = c.answers;
        WatchTheLoadLock();
        Record();
        PumpUntil([&] { return Finished(); }, c.runs ? 10000 : 300);
        ASSERT_EQ(boxes.size(), c.questions.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].text, WithPath(c.questions[i], c.questions[i] == kSongMissingQuestion ? song : wav));
            EXPECT_EQ(boxes[i].type, static_cast<UINT>(MB_YESNO));
        }
        EXPECT_EQ(Finished(), c.runs);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, engine::kRecordCommand)) != FALSE, !c.runs)
            << "a cancelled run leaves 録音 enabled";
        EXPECT_EQ(jobs[0].enabled, c.enabled);
        EXPECT_EQ(heldAtBoxes, std::vector<bool>(c.questions.size(), true)) << "読込 waits for every answer";
        EXPECT_FALSE(loadHeld);
        EXPECT_EQ(loadLocked, c.runs) << "only a run that began keeps 読込 disabled";
        if (c.runs && c.enabled == 1) {
            const auto written = testfiles::ReadBytes(wav);
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(written->substr(0, 4), "RIFF") << "the old file is replaced";
        }
        TearDown();
    }
}

// Stems recorded again: one question for all their files, whose はい replaces every one.
TEST_F(PreRunQuestions, TheFilesOfSeveralJobsAreAskedAboutOnce) {
    SetUpRun("midiout Synth\nwavein Loop\n");
    const std::string song = TempFile("again.mid", QuarterNoteSong(1, 120, 500000));
    const std::vector<std::string> wavs = {TempName("again-1.wav"), TempName("again-2.wav")};
    for (const std::string& wav : wavs) {
        ASSERT_TRUE(testfiles::WriteBytes(wav, "old"));
        AppendStackedJob(Job(song, wav));
    }
    answers = {IDYES};
    Record();
    EXPECT_TRUE(PumpUntil([&] { return Finished(); }, 20000));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TargetsExistQuestion(wavs));
    for (const std::string& wav : wavs) EXPECT_EQ(testfiles::ReadBytes(wav).value_or("").substr(0, 4), "RIFF");
}

// What a run costs: the user-interface thread's time per captured second at the largest format
// (the capture's buffers, and the clock with the input level shown live), the time from one job's
// last waiting tick to the next job's first note, and lost samples.
class RunCosts : public RunHarness {
protected:
    static inline WNDPROC original = nullptr;
    static inline double captureSeconds = 0;  // spent in MM_WIM_DATA and timer handling
    static inline double nextJobAt = -1;      // studio clock at command 126
    static inline HWND levelLabel = nullptr;

    static void ShowLevel(const char* text) { SetWindowTextA(levelLabel, text); }

    static LRESULT CALLBACK Timed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == engine::kNextJobCommand && nextJobAt < 0) {
            nextJobAt = devices::LoopbackClockSeconds();
        }
        if (message != devices::kMmWimData && message != WM_TIMER) {
            return CallWindowProcA(original, window, message, wParam, lParam);
        }
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceCounter(&start);
        const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
        QueryPerformanceCounter(&end);
        QueryPerformanceFrequency(&frequency);
        captureSeconds += static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        return result;
    }
};

TEST_F(RunCosts, UserInterfaceTimeAndTheGapBetweenJobs) {
    SetUpRun("midiout Synth\nwavein Loop\n");
    levelLabel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 140, 18, window, nullptr, nullptr, nullptr);
    engine::MainWindowLink link = engine::CurrentMainWindowLink();
    link.setJobLevel = ShowLevel;
    engine::SetMainWindowLink(link);
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Timed)));
    captureSeconds = 0;
    nextJobAt = -1;
    devices::LoopbackResetLostSamples();
    const std::string song = TempFile("costs.mid", QuarterNoteSong(6, 240, 500000));  // 2.75 s
    const std::string wav = TempName("costs1.wav");
    AppendStackedJob(Job(song, wav, 192000, 32, 2, 0));
    AppendStackedJob(Job(song, TempName("costs2.wav"), 192000, 32, 2, 0));
    devices::LoopbackTakePlayedMessages();
    ASSERT_TRUE(RecordAll(30000));
    EXPECT_TRUE(boxes.empty());

    const auto wavBytes = testfiles::ReadBytes(wav);
    ASSERT_TRUE(wavBytes.has_value());
    const double seconds = (wavBytes->size() - double{kWavHeaderBytes}) / (192000.0 * 8);
    const double perSecond = captureSeconds / 2 / seconds * 1000;
    // The first note-on after command 126 is the second job's first note.
    double firstNote = -1;
    for (const auto& played : devices::LoopbackTakePlayedMessages()) {
        if ((played.message & 0xF0) == 0x90 && played.time > nextJobAt) {
            firstNote = played.time;
            break;
        }
    }
    ASSERT_GE(nextJobAt, 0);
    ASSERT_GE(firstNote, 0);
    const double gap = (firstNote - nextJobAt) * 1000;
    std::printf("[ measured ] UI thread %.2f ms per captured second at 192000/32/2, level shown live; next job's first note %.2f ms "
                "after its command; %llu samples lost\n",
                perSecond, gap, static_cast<unsigned long long>(devices::LoopbackLostSamples()));
    EXPECT_LT(perSecond, 100) << "capture handling takes a tenth of the thread";
    char level[32] = {};
    GetWindowTextA(levelLabel, level, sizeof level);
    EXPECT_EQ(std::string(level).rfind("入力レベル -", 0), 0u) << "the input's peak was shown";
    EXPECT_LT(gap, 500);
    EXPECT_EQ(devices::LoopbackLostSamples(), 0u);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

}  // namespace
}  // namespace solvena::testrun
