// A job stack window in the test process with loopback devices, recorded message boxes and
// progress texts, and a message pump: runs go from 録音 to the finish here, in real time.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/MainWindowLink.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/RunController.h"
#include "jobs/RecordingJob.h"
#include "support/RunSongs.h"

namespace solvena::testrun {

struct SeenBox {
    std::string caption;
    std::string text;
    UINT type = 0;
};

// Process-wide, as the hooks they serve.
inline std::vector<SeenBox> boxes;
inline std::deque<int> answers;  // consumed in order; then Yes for questions, OK otherwise
inline std::vector<std::string> progress;
inline int runModeEntered = 0;

inline int RecordBox(HWND, const char* text, const char* caption, UINT type) {
    boxes.push_back({caption, text, type});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

inline void RecordProgress(const char* text) { progress.emplace_back(text); }
inline void CountRunMode() { ++runModeEntered; }

// Times one of the job stack window's timers: how long its ticks hold the user-interface thread.
struct TimerTicks {
    static inline WNDPROC original = nullptr;
    static inline UINT_PTR timer = 0;
    static inline double longestMs = 0;
    static inline double totalMs = 0;

    static void Watch(HWND window, UINT_PTR which) {
        timer = which;
        totalMs = 0;
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Timed)));
    }

    static LRESULT CALLBACK Timed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const ULONGLONG start = testfiles::MicrosecondsNow();
        const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
        if (message == WM_TIMER && wParam == timer) {
            const double ms = (testfiles::MicrosecondsNow() - start) / 1000.0;
            longestMs = std::max(longestMs, ms);
            totalMs += ms;
        }
        return result;
    }
};

class RunHarness : public ::testing::Test {
protected:
    static constexpr char kClass[] = "ListWindow";

    static void SetUpTestSuite() {
        WNDCLASSEXA description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = engine::ListWndProc;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = kClass;
        registeredHere = RegisterClassExA(&description) != 0;
    }
    // The program's start-up registers the class its own way in other tests.
    static void TearDownTestSuite() {
        if (registeredHere) UnregisterClassA(kClass, GetModuleHandleA(nullptr));
    }
    static inline bool registeredHere = false;

    // Devices as a loopback device file describes them.
    void SetUpRun(const std::string& deviceFile) {
        // As a fresh start of the program: an earlier test may have closed its main window.
        engine::ResetRun();
        ResetJobTable();
        boxes.clear();
        answers.clear();
        progress.clear();
        runModeEntered = 0;
        ASSERT_TRUE(testfiles::LoadLoopbackDevices(deviceFile));
        engine::MainWindowLink link;
        link.setProgressText = RecordProgress;
        link.enterRunMode = CountRunMode;
        engine::SetMainWindowLink(link);
        engine::SetMessageBoxFunction(RecordBox);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "jobs", WS_CAPTION | WS_SYSMENU, 0, 0, 406, 307, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        engine::jobStackWindow = window;
        engine::InstallJobRowHooks();
    }

    void TearDown() override {
        engine::ResetRun();
        SetJobRowHooks({});
        if (window != nullptr) DestroyWindow(window);
        window = nullptr;
        engine::jobStackWindow = nullptr;
        engine::SetMessageBoxFunction(nullptr);
        engine::SetMainWindowLink({});
        ResetJobTable();
        for (const std::string& path : files) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        files.clear();
    }

    // Dispatches this thread's messages until `done` holds; false after `timeoutMs`.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (!done()) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done()) break;
            if (GetTickCount64() > end) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        }
        return true;
    }

    // A file in the temporary folder, removed after the test.
    std::string TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = testfiles::TempPath(name.c_str());
        EXPECT_TRUE(testfiles::WriteBytes(path, std::string(bytes.begin(), bytes.end())));
        files.push_back(path);
        return path;
    }
    std::string TempName(const std::string& name) {
        const std::string path = testfiles::TempPath(name.c_str());
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        files.push_back(path);
        return path;
    }

    // A job over the whole song: the conductor track and the notes.
    static RecordingJob Job(const std::string& midi, const std::string& wav, int rate = 44100, int bits = 16,
                            int channels = 2, int reverb = 0) {
        RecordingJob job;
        SetText(job.midiPath, midi);
        SetText(job.wavPath, wav);
        job.sampleRate = rate;
        job.bitsPerSample = bits;
        job.channels = channels;
        job.endTick = 0x7FFFFFFF;
        job.reverbSeconds = reverb;
        job.trackEnabled[0] = job.trackEnabled[1] = 1;
        job.enabled = 1;
        return job;
    }

    void Record() { SendMessageA(window, WM_COMMAND, engine::kRecordCommand, 0); }
    bool Finished() const { return !progress.empty() && progress.back() == "録音が終了しました。"; }
    // Presses 録音 and pumps until the finish text.
    bool RecordAll(DWORD timeoutMs) {
        Record();
        return PumpUntil([&] { return Finished(); }, timeoutMs);
    }

    HWND window = nullptr;
    std::vector<std::string> files;
};

}  // namespace solvena::testrun
