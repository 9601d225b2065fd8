// What a run asks of the system: made at its start, given back once at its end, and a request the
// system refuses changes nothing else. Through recording fakes, then once through the real calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "RunHarness.h"
#include "engine/CaptureLimits.h"
#include "engine/RunTexts.h"
#include "engine/win32/RunState.h"
#include "engine/win32/SystemRequests.h"
#include "engine/win32/WavFile.h"

namespace solvena::testrun {
namespace {

// The four requests, then (four later) their ends; `unexpected` counts other arguments or windows.
enum Call { awake, timer, throttle, taskbar, awakeEnd, timerEnd, throttleEnd, taskbarEnd, cleared, flashed, unexpected };
using Counts = std::array<int, unexpected + 1>;
Counts seen;
int refused = -1;  // a request the fakes refuse; `cleared`: the taskbar refuses every progress call
std::vector<ULONGLONG> values;
ULONGLONG total = 0;
HWND mainWindow = nullptr;
HWND inFront = nullptr;
// Never dereferenced: every call on it goes to the fakes.
ITaskbarList3* const kTaskbar = reinterpret_cast<ITaskbarList3*>(&seen);

void See(Call call, bool expected = true) { ++seen[expected ? call : unexpected]; }

const engine::SystemCalls kFakes{
    [](EXECUTION_STATE flags) -> EXECUTION_STATE {
        See(flags == ES_CONTINUOUS ? awakeEnd : awake, (flags & ~ES_SYSTEM_REQUIRED) == ES_CONTINUOUS);
        return refused == awake ? 0 : ES_CONTINUOUS;
    },
    [](UINT ms) -> MMRESULT { See(timer, ms == 1); return refused == timer ? TIMERR_NOCANDO : TIMERR_NOERROR; },
    [](UINT ms) -> MMRESULT { See(timerEnd, ms == 1); return TIMERR_NOERROR; },
    [](ULONG control, ULONG state) {
        See(control == 0 ? throttleEnd : throttle,
            state == 0 && (control == 0 || control == engine::kIgnoreTimerResolution));
        return refused != throttle;
    },
    []() -> ITaskbarList3* { See(taskbar); return refused == taskbar ? nullptr : kTaskbar; },
    [](ITaskbarList3*, HWND window, TBPFLAG state) -> HRESULT {
        if (state == TBPF_NOPROGRESS || window != mainWindow) See(cleared, window == mainWindow);
        return refused == cleared ? E_FAIL : S_OK;
    },
    [](ITaskbarList3*, HWND window, ULONGLONG done, ULONGLONG of) -> HRESULT {
        if (window != mainWindow) See(unexpected);
        values.push_back(done);
        total = of;
        return refused == cleared ? E_FAIL : S_OK;
    },
    [](ITaskbarList3* held) { See(taskbarEnd, held == kTaskbar); },
    []() { return inFront; },
    [](PFLASHWINFO info) -> BOOL { See(flashed, info->hwnd == mainWindow); return TRUE; }};

HWND MainWindow() { return mainWindow; }

class SystemRequests : public RunHarness {
protected:
    // Three jobs, the middle one switched off, and a main window that owns the taskbar button;
    // pumps into the last job's recording.
    bool RecordIntoLastJob() {
        SetUpRun("midiout Synth\nwavein Loop\n");
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        engine::MainWindowLink link = engine::CurrentMainWindowLink();
        link.mainWindow = MainWindow;
        engine::SetMainWindowLink(link);
        const std::string song = TempFile("requests.mid", test::QuarterNoteSong(2, 240, 500000));
        for (const char* name : {"requests1.wav", "requests2.wav", "requests3.wav"}) {
            AppendStackedJob(Job(song, TempName(name)));
        }
        jobs[1].enabled = 0;
        Record();
        return PumpUntil([] { return engine::CurrentJobPosition() == 2 && engine::WavDataBytes() > 0; }, 20000);
    }

    // Every switched-on job recorded; a box only for the finish report, which may tell of the
    // devices' clocks (measured afresh each run).
    void ExpectEveryJobRecorded() {
        for (const SeenBox& box : boxes) EXPECT_EQ(box.caption, kRunReportCaption) << box.text;
        for (int job : {0, 2}) {
            EXPECT_GT(testfiles::ReadBytes(TextOf(jobs[job].wavPath)).value_or("").size(), kWavHeaderBytes) << job;
        }
    }

    void TearDown() override {
        RunHarness::TearDown();
        engine::SetSystemCalls(nullptr);
        if (mainWindow != nullptr) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
};

TEST_F(SystemRequests, MadeAtTheStartGivenBackOnceAtTheEnd) {
    struct Case {
        const char* name;
        int refused;
        bool closed;    // the program closes during the last job
        bool ourFront;  // the job stack window is in front at the end
    };
    const Case cases[] = {
        {"everything granted", -1, false, false},
        {"the program in front: no flash", -1, false, true},
        {"closed during the run: no flash", -1, true, false},
        {"staying awake refused", awake, false, false},
        {"the 1 ms timer refused", timer, false, false},
        {"the 1 ms timer refused, closed", timer, true, false},
        {"no throttling control", throttle, false, false},
        {"no taskbar", taskbar, false, false},
        {"the taskbar refuses progress", cleared, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen = {};
        values.clear();
        refused = c.refused;
        engine::SetSystemCalls(&kFakes);
        ASSERT_TRUE(RecordIntoLastJob());
        inFront = c.ourFront ? window : nullptr;
        Counts expected{};
        for (int request : {awake, timer, throttle, taskbar}) expected[request] = 1;
        EXPECT_EQ(seen, expected) << "made at the start, held through every job";
        if (c.closed) {
            engine::StopRunOnExit();
        } else {
            ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 20000));
            ExpectEveryJobRecorded();
        }
        for (int request : {awake, timer, throttle, taskbar}) expected[request + 4] = c.refused != request;
        expected[cleared] = c.refused != taskbar;
        expected[flashed] = !c.closed && !c.ourFront;
        EXPECT_EQ(seen, expected) << "given back, only what was granted";
        engine::StopRunOnExit();
        EXPECT_EQ(seen, expected) << "given back once";
        if (c.refused != taskbar) {
            // Thousandths of the two switched-on jobs: the last one had begun.
            EXPECT_EQ(total, 2000u);
            EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
            ASSERT_FALSE(values.empty());
            EXPECT_GE(values.back(), 1000u);
        }
        TearDown();
    }
}

// The system's own calls in this process: the run goes the same whatever they grant.
TEST_F(SystemRequests, TheSystemsOwnCalls) {
    ASSERT_TRUE(RecordIntoLastJob());
    const auto held = engine::JobStackRun().systemRequests.Held();
    const auto yes = [](bool granted) { return granted ? "yes" : "no"; };
    std::printf("[ measured ] a run's start is granted: staying awake %s, 1 ms timer %s, timer throttling opt-out %s "
                "(SetProcessInformation exists: %s), taskbar progress %s\n", yes(held.awake), yes(held.timer),
                yes(held.throttling), yes(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessInformation")),
                yes(held.taskbar));
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 20000));
    ExpectEveryJobRecorded();
    const auto after = engine::JobStackRun().systemRequests.Held();
    EXPECT_FALSE(after.awake || after.timer || after.throttling || after.taskbar);
}

}  // namespace
}  // namespace solvena::testrun
