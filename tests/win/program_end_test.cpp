// The program closed during a run, as the main window's キャンセル closes it, from inside a box
// the run shows: nothing more is opened or started. The program's own windows and loopback
// devices, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunHarness.h"
#include "app/AppState.h"
#include "app/MainControls.h"
#include "app/Startup.h"
#include "engine/FormatProbe.h"

namespace solvena::testrun {
namespace {

using test::QuarterNoteSong;

std::vector<std::string> shown;
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

int ShowBox(HWND, const char* text, const char*, UINT type) {
    shown.emplace_back(text);
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
        ASSERT_EQ(boxesAtClose, 1u) << shown.front();
        // What the message loops of later boxes would still dispatch.
        PumpUntil([] { return false; }, 1000);
        EXPECT_EQ(shown.size(), 1u) << "a box after the end: " << shown.back();
        EXPECT_EQ(devices::LoopbackLastCaptureStart(), captureStartAtClose) << "a capture started after the end";
        EXPECT_TRUE(devices::LoopbackTakePlayedMessages().empty()) << "music played after the end";
        EXPECT_FALSE(MidiOutHeld());
        EXPECT_FALSE(WaveInHeld());
        EXPECT_EQ(GetFileAttributesA(later.c_str()), INVALID_FILE_ATTRIBUTES);
        TearDown();
    }
}

}  // namespace
}  // namespace solvena::testrun
