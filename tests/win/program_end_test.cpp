// The program closed during a run, as the main window's キャンセル closes it, from inside a box
// the run shows: nothing more is opened or started, and what is told on the way out is shown
// before the program ends. The program's own windows and loopback devices, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FullDisk.h"
#include "RunHarness.h"
#include "app/AppState.h"
#include "app/MainControls.h"
#include "app/Startup.h"
#include "engine/CaptureLimits.h"
#include "engine/FormatProbe.h"
#include "engine/RunTexts.h"
#include "engine/win32/WavFile.h"

namespace solvena::testrun {
namespace {

using test::QuarterNoteSong;

struct ShownBox {
    std::string text;
    bool quitPosted = false;  // the program's end had already asked its message loop to stop
    bool ownerAlive = false;  // no owner, or one that still exists
};

std::vector<ShownBox> shown;
bool closeInFirstBox = false;
std::size_t boxesAtClose = 0;
double captureStartAtClose = 0;

void CloseProgram() {
    closeInFirstBox = false;
    captureStartAtClose = devices::LoopbackLastCaptureStart();
    SendMessageA(app::mainWindow, WM_COMMAND, MAKEWPARAM(app::kCancelId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(app::controls.cancelButton));
    boxesAtClose = shown.size();
}

int ShowBox(HWND owner, const char* text, const char*, UINT type) {
    MSG quit;
    shown.push_back({text, PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE,
                     owner == nullptr || IsWindow(owner) != FALSE});
    if (closeInFirstBox) CloseProgram();
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

// A device is held when another open of it answers "allocated".
bool MidiOutHeld() {
    devices::MidiStreamHandle stream = nullptr;
    std::uint32_t device = 0;
    const devices::MmResult result = devices::MidiStreamOpen(&stream, &device, nullptr);
    if (result == devices::kMmNoError) devices::MidiStreamClose(stream);
    return result == devices::kMmAllocated;
}

bool WaveInHeld() {
    devices::WaveInHandle wave = nullptr;
    const devices::MmResult result = devices::WaveInOpen(&wave, 0, devices::PcmFormat(2, 44100, 16), nullptr);
    if (result == devices::kMmNoError) devices::WaveInClose(wave);
    return result == devices::kMmAllocated;
}

class ProgramEnd : public RunHarness {
protected:
    void SetUpProgram(const std::string& deviceFile) {
        shown.clear();
        closeInFirstBox = false;
        boxesAtClose = 0;
        engine::ResetRun();
        ResetJobTable();
        ASSERT_TRUE(testfiles::LoadLoopbackDevices(deviceFile));
        ASSERT_TRUE(app::CreateTopLevelWindows(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE));
        window = app::jobStackWindow;
        engine::SetMessageBoxFunction(ShowBox);
        devices::LoopbackTakePlayedMessages();
    }

    void TearDown() override {
        if (app::mainWindow != nullptr) DestroyWindow(app::mainWindow);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        RunHarness::TearDown();
    }

    const testfiles::GeneralIniGuard noSettings_;
};

TEST_F(ProgramEnd, ClosedInABoxOfAJobsStartNothingMoreIsOpenedOrStarted) {
    struct Case {
        const char* name;
        const char* devices;
        bool unreadableSong;  // the first job is skipped, and its failure box is the one
    };
    const Case cases[] = {
        {"capture open", "midiout Synth\nwavein Loop\nfail open 2\n", false},
        {"capture prepare", "midiout Synth\nwavein Loop\nfail prepare 7 once\n", false},
        {"capture start", "midiout Synth\nwavein Loop\nfail start 7\n", false},
        {"stream open", "midiout Synth\nfail open 2\nwavein Loop\n", false},
        {"stream prepare", "midiout Synth\nfail prepare 7\nwavein Loop\n", false},
        {"stream start", "midiout Synth\nfail restart 7\nwavein Loop\n", false},
        {"a skipped job", "midiout Synth\nwavein Loop\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpProgram(c.devices);
        const std::string song = TempFile("end.mid", QuarterNoteSong(2, 240, 500000));
        const std::string first = c.unreadableSong ? TempFile("end-garbage.mid", {'n', 'o'}) : song;
        const std::string later = TempName("end-later.wav");
        AppendStackedJob(Job(first, TempName("end-first.wav")));
        AppendStackedJob(Job(song, later));
        closeInFirstBox = true;
        Record();
        ASSERT_TRUE(PumpUntil([] { return !closeInFirstBox; }, 10000));
        ASSERT_EQ(boxesAtClose, 1u) << shown.front().text;
        // What the message loops of later boxes would still dispatch.
        PumpUntil([] { return false; }, 1000);
        EXPECT_EQ(shown.size(), 1u) << "a box after the end: " << shown.back().text;
        EXPECT_EQ(devices::LoopbackLastCaptureStart(), captureStartAtClose) << "a capture started after the end";
        EXPECT_TRUE(devices::LoopbackTakePlayedMessages().empty()) << "music played after the end";
        EXPECT_FALSE(MidiOutHeld());
        EXPECT_FALSE(WaveInHeld());
        EXPECT_EQ(GetFileAttributesA(later.c_str()), INVALID_FILE_ATTRIBUTES);
        TearDown();
    }
}

TEST_F(ProgramEnd, AFailedWriteOnTheWayOutIsShownBeforeTheProgramEnds) {
    const testfiles::FullDisk disk(0x7FFFFFFF);
    SetUpProgram("midiout Synth\nwavein Loop\n");
    const std::string full = TempName(std::string("end-full.wav") + testfiles::kFullDiskSuffix);
    AppendStackedJob(Job(TempFile("end-long.mid", QuarterNoteSong(8, 240, 500000)), full));  // 3.75 s
    Record();
    ASSERT_TRUE(PumpUntil([] { return engine::WavDataBytes() > 0; }, 15000));
    // The disk is full from here on: the capture's last buffers, written at the close, do not fit.
    testfiles::fullDiskRoom = static_cast<LONG>(kWavHeaderBytes + engine::WavDataBytes());
    CloseProgram();
    ASSERT_EQ(shown.size(), 1u) << "shown while the program closed";
    EXPECT_EQ(shown[0].text, WavWriteFailedText(full));
    EXPECT_FALSE(shown[0].quitPosted) << "a box after the quit message closes at once";
    EXPECT_TRUE(shown[0].ownerAlive);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(shown.size(), 1u) << "told once";
}

}  // namespace
}  // namespace solvena::testrun
