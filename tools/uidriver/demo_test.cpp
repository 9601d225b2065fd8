// The demo: the bundled demo song recorded to a WAV file through the program's own windows: open,
// choose tracks, set bars, stack, 録音, wait for the finish. On the test chain (SOLVENA_CHAIN_FIFO
// set, as `scripts/run demo` does) the product build records a General MIDI synthesizer; without
// it the test build records its virtual devices. Its song, WAV file and a picture of every step
// stay in the demo folder (--demo=), which `scripts/run demo` sets to build/demo.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ChainDevices.h"
#include "CommonControls.h"
#include "Input.h"
#include "Options.h"
#include "Query.h"
#include "RecordingRun.h"
#include "Screenshot.h"

namespace uidriver {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class Demo : public RecordingRun {
protected:
    void Picture(HWND window, const std::string& step) {
        const std::string path = folder_ + "\\" + step + ".bmp";
        EXPECT_TRUE(SaveWindowPicture(window, path)) << path;
    }
    std::string folder_;
};

TEST_F(Demo, RecordsTheDemoSong) {
    const Options& options = CurrentOptions();
    char full[MAX_PATH] = {};
    GetFullPathNameA(options.demoFolder.c_str(), MAX_PATH, full, nullptr);
    folder_ = full;
    CreateDirectoryA(folder_.c_str(), nullptr);
    const std::string source = options.sourceFolder + "\\resources\\demo\\";
    const std::string song = folder_ + "\\demo.mid";
    const std::string wav = folder_ + "\\demo.wav";
    ASSERT_TRUE(CopyFileA((source + "demo.mid").c_str(), song.c_str(), FALSE)) << "the demo song";
    DeleteFileA(wav.c_str());
    // Start in the demo folder, with the devices chosen by name.
    ProgramSetup setup;
    if (ChainIsUp()) {
        setup.product = true;
        setup.generalIni = CrLfLines({(folder_ + "\\").c_str(), kChainWaveIn, kChainMidiOut});
    } else {
        setup.loopbackDevices = ReadFile(source + "loopback-devices.txt");
        ASSERT_FALSE(setup.loopbackDevices->empty());
        setup.generalIni = CrLfLines({(folder_ + "\\").c_str(), "Loopback Capture", "Loopback Synth"});
    }
    ASSERT_TRUE(Launch(setup));

    ASSERT_TRUE(OpenSong(song));
    Picture(Main(), "1-song-opened");
    // Track 0 (tempo and markers) is chosen by the load; add the piano and the drums.
    for (int row : {1, 2}) ASSERT_TRUE(ClickAndWait(Control(Numbered("trackToggles ", row))));
    Picture(Main(), "2-tracks-chosen");
    ASSERT_TRUE(ShowPage(1));
    ASSERT_TRUE(SetEdit(Control("startBarEdit"), "0"));
    ASSERT_TRUE(SetEdit(Control("endBarEdit"), "4"));
    ASSERT_TRUE(SetEdit(Control("reverbEdit"), "2"));
    ASSERT_TRUE(SetEdit(Control("wavNameEdit"), "demo.wav"));
    Picture(Main(), "3-bars-set");
    ASSERT_TRUE(ShowPage(2));
    Picture(Main(), "4-devices");
    ASSERT_TRUE(Click(Control("stackButton")));
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(JobList()) == 1 && IsWindowVisible(JobStack()); }, 5000));
    Settle(Main());
    Picture(JobStack(), "5-stacked");

    const RunLog log = RecordAndFollow(60000);
    ASSERT_TRUE(log.finished) << "the run did not finish";
    EXPECT_TRUE(log.boxes.empty());
    Picture(JobStack(), "6-recorded");
    ASSERT_TRUE(PostMessageA(JobStack(), WM_SYSCOMMAND, SC_CLOSE, 0));
    WaitUntil([&] { return !IsWindowVisible(JobStack()); }, 5000);
    Settle(Main());
    Picture(Main(), "7-finished");

    const CheckResult info = Check("info", {wav});
    EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
    EXPECT_EQ(NumberOf(info, "wave_ok"), 1);
    // Bars 0 to 4 at 120 beats per minute, then the two seconds of reverb.
    EXPECT_NEAR(NumberOf(info, "seconds"), 8 + 2, 0.75);
    std::printf("[ demo ] %s: %s Hz, %s bits, %s channels, %s s\n", wav.c_str(), ValueOf(info, "rate").c_str(),
                ValueOf(info, "bits").c_str(), ValueOf(info, "channels").c_str(), ValueOf(info, "seconds").c_str());
}

}  // namespace
}  // namespace uidriver
