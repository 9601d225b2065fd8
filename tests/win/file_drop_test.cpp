// Files dropped on the program's windows, in this process: a song on the main window opens as 開く
// opens one, job lists on the job stack window load as 読込 loads them, and neither window takes a
// drop while 録音 asks its questions or runs; nor do スタック and トラック別 stack then.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "RunHarness.h"
#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/Pages.h"
#include "app/Startup.h"
#include "engine/RunTexts.h"
#include "engine/win32/WavFile.h"
#include "jobs/JobListFile.h"
#include "song/SongState.h"

namespace solvena::testrun {
namespace {

using test::ManyTrackSong;
using test::QuarterNoteSong;

// What the shell hands a window: a DROPFILES header, then each path and a final zero. The window
// releases it.
void Drop(HWND window, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() + 1);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(memory);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

bool TakesDrops(HWND window) { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

std::string TextOf(HWND window) {
    char text[512] = {};
    return std::string(text, static_cast<std::size_t>(std::max(GetWindowTextA(window, text, sizeof text), 0)));
}

// Called inside every box the program shows, before it is answered.
std::function<void()> inBox;

int SeeBox(HWND owner, const char* text, const char* caption, UINT type) {
    if (inBox) inBox();
    return RecordBox(owner, text, caption, type);
}

class FileDrop : public RunHarness {
protected:
    void SetUp() override {
        engine::ResetRun();
        ResetJobTable();
        boxes.clear();
        ASSERT_TRUE(testfiles::LoadLoopbackDevices("midiout Synth\nwavein Loop\n"));
        ASSERT_TRUE(app::CreateTopLevelWindows(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE));
        window = app::jobStackWindow;
        engine::SetMessageBoxFunction(SeeBox);
    }
    void TearDown() override {
        inBox = nullptr;
        if (app::mainWindow != nullptr) DestroyWindow(app::mainWindow);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        RunHarness::TearDown();
        RemoveDirectoryA(folder.c_str());
    }

    std::string List(const std::string& name, const std::vector<RecordingJob>& listed) {
        const std::string text = WriteJobList(listed);
        return TempFile(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    const testfiles::GeneralIniGuard noSettings_;
    const std::string folder = testfiles::TempPath("曲 フォルダ");
};

TEST_F(FileDrop, ASongOnTheMainWindowOpensAsOpenWouldOthersAreRefused) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string song = TempFile("曲 フォルダ\\ソング.mid", ManyTrackSong(3));
    const std::string other = TempFile("drop-other.mid", ManyTrackSong(5));
    const std::string list = List("drop-song.list", {Job(song, "C:\\drop.wav")});
    struct Case {
        std::vector<std::string> files;
        const char* caption;  // the box shown; nullptr: none, and the track page shows the song
        std::string named;    // what its text names
        const char* label;
        int tracks;  // the named tracks shown
    };
    const Case cases[] = {
        {{song}, nullptr, "", "ソング.mid", 3},
        {{other, song}, kNoticeCaption, "", "ソング.mid", 3},
        {{folder}, kNoticeCaption, folder, "ソング.mid", 3},
        {{list}, kErrorCaption, list, "ソング.mid", 3},
        {{other}, nullptr, "", "drop-other.mid", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.front());
        boxes.clear();
        SendMessageA(app::controls.tabControl, TCM_SETCURSEL, app::kDevicePage, 0);
        app::OnPageChange();
        Drop(app::mainWindow, c.files);
        ASSERT_EQ(boxes.size(), c.caption != nullptr ? 1u : 0u);
        if (c.caption != nullptr) {
            EXPECT_EQ(boxes[0].caption, c.caption);
            EXPECT_NE(boxes[0].text.find(c.named), std::string::npos) << boxes[0].text;
        }
        EXPECT_EQ(TextOf(app::controls.songFileLabel), c.label);
        for (int row = 0; row < 6; ++row) {
            EXPECT_EQ(TextOf(app::controls.trackToggles[row]),
                      row < c.tracks ? "Track " + std::to_string(row) : std::string("未定義のトラック"));
        }
        EXPECT_EQ(SendMessageA(app::controls.tabControl, TCM_GETCURSEL, 0, 0),
                  c.caption != nullptr ? app::kDevicePage : app::kTrackPage);
    }
}

TEST_F(FileDrop, ListsOnTheJobStackWindowLoadAsReadWouldWithItsQuestion) {
    const std::string song = TempFile("drop-list.mid", QuarterNoteSong(1, 120, 500000));
    const std::string two = List("drop-two.list", {Job("a1.mid", "a1.wav"), Job("a2.mid", "a2.wav")});
    const std::string one = List("drop-one.list", {Job("b1.mid", "b1.wav")});
    CreateDirectoryA(folder.c_str(), nullptr);
    struct Case {
        std::vector<std::string> files;
        std::deque<int> answers;
        std::vector<const char*> captions;  // the boxes shown, in order
        std::string named;                  // what the last one's text names
        std::vector<std::string> stacked;   // the stack's songs afterwards
    };
    const Case cases[] = {
        {{two, one}, {IDNO}, {kConfirmCaption}, "", {"kept.mid", "a1.mid", "a2.mid", "b1.mid"}},
        {{one}, {IDYES}, {kConfirmCaption}, "", {"b1.mid"}},
        {{two}, {IDCANCEL}, {kConfirmCaption}, "", {"kept.mid"}},
        // The lists after one that cannot be read are not read.
        {{two, song, one}, {IDNO}, {kConfirmCaption, kErrorCaption}, song, {"kept.mid", "a1.mid", "a2.mid"}},
        {{one, folder}, {}, {kNoticeCaption}, folder, {"kept.mid"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.back());
        ClearJobs();
        AppendStackedJob(Job("kept.mid", "kept.wav"));
        boxes.clear();
        answers = c.answers;
        Drop(window, c.files);
        ASSERT_EQ(boxes.size(), c.captions.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) EXPECT_EQ(boxes[i].caption, c.captions[i]);
        EXPECT_NE(boxes.back().text.find(c.named), std::string::npos) << boxes.back().text;
        std::vector<std::string> stacked;
        for (std::int32_t i = 0; i < jobCount; ++i) stacked.push_back(solvena::TextOf(jobs[static_cast<std::size_t>(i)].midiPath));
        EXPECT_EQ(stacked, c.stacked);
        EXPECT_EQ(SendMessageA(GetDlgItem(window, 1), LVM_GETITEMCOUNT, 0, 0), jobCount);
    }
}

TEST_F(FileDrop, NeitherWindowTakesADropWhileRecordAsksOrRuns) {
    const std::string shown = TempFile("drop-shown.mid", QuarterNoteSong(8, 240, 500000));  // 3.75 s
    ASSERT_TRUE(app::OpenSongFile(shown));
    const std::string song = TempFile("drop-during.mid", ManyTrackSong(2));
    const std::string list = List("drop-during.list", {Job(song, "C:\\during.wav")});
    const std::string readOnly = TempFile("drop-readonly.wav", {'x'});
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    AppendStackedJob(Job(shown, readOnly));
    AppendStackedJob(Job(shown, TempName("drop-recorded.wav")));
    ASSERT_TRUE(TakesDrops(app::mainWindow) && TakesDrops(window));

    const auto dropBoth = [&](const char* moment) {
        SCOPED_TRACE(moment);
        const std::size_t told = boxes.size();
        EXPECT_FALSE(TakesDrops(app::mainWindow) || TakesDrops(window)) << "the system would offer the drop";
        Drop(app::mainWindow, {song});
        Drop(window, {list});
        EXPECT_EQ(boxes.size(), told);
        EXPECT_EQ(TextOf(app::controls.songFileLabel), "drop-shown.mid");
        EXPECT_EQ(jobCount, 2);
    };
    // The read-only file's question: No cancels the run, Yes skips its job and records the next.
    inBox = [&] { dropBoth("録音's question"); };
    answers = {IDNO};
    Record();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(TakesDrops(app::mainWindow) && TakesDrops(window)) << "a cancelled run gives the drops back";
    answers = {IDYES};
    Record();
    inBox = nullptr;
    ASSERT_TRUE(PumpUntil([] { return engine::WavDataBytes() > 0; }, 15000)) << "the second job records";
    dropBoth("the run");
}

// 録音 holds the table from its first question. Pressed while one is up, スタック and トラック別
// stack nothing; and when 録音 starts the run while their own question is up, the answer stacks
// nothing either.
TEST_F(FileDrop, StackingWaitsForRecordsQuestionsBothWays) {
    const char kRunStarted[] = "録音が始まったため、ジョブはスタックしませんでした。";
    for (const WPARAM command : {app::kStackId, app::kStemsId}) {
        SCOPED_TRACE(command);
        if (command == app::kStemsId) {
            TearDown();
            SetUp();
        }
        const std::string song = TempFile("held.mid", QuarterNoteSong(8, 240, 500000));  // 3.75 s
        ASSERT_TRUE(app::OpenSongFile(song));
        tracks[1].selected = 1;
        SetWindowTextA(app::controls.endBarEdit, "2");
        SetWindowTextA(app::controls.wavNameEdit, "held");  // スタック asks to add ".wav"
        const std::string readOnly = TempFile("held-readonly.wav", {'x'});
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
        AppendStackedJob(Job(song, readOnly));
        int pressed = 0;

        // Pressed inside 録音's question, which is then answered No.
        inBox = [&] { if (pressed++ == 0) SendMessageA(app::mainWindow, WM_COMMAND, command, 0); };
        boxes.clear();
        answers = {IDOK, IDNO};
        Record();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].caption, kNoticeCaption);
        EXPECT_EQ(boxes[0].text, kRunStarted);
        EXPECT_EQ(boxes[1].text, WithPath(kTargetReadOnlyQuestion, readOnly));
        EXPECT_EQ(jobCount, 1);

        // 録音 pressed inside the command's question, with nothing left to ask: the run starts.
        SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(readOnly.c_str());
        pressed = 0;
        inBox = [&] { if (pressed++ == 0) Record(); };
        boxes.clear();
        SendMessageA(app::mainWindow, WM_COMMAND, command, 0);
        inBox = nullptr;
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].caption, kConfirmCaption);
        EXPECT_EQ(boxes[1].text, kRunStarted);
        EXPECT_EQ(jobCount, 1) << "the run's table gets no job its questions never saw";
        EXPECT_TRUE(PumpUntil([] { return engine::WavDataBytes() > 0; }, 15000)) << "the run records";
    }
}

}  // namespace
}  // namespace solvena::testrun
