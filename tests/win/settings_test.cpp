// LoadSettings as the program runs it: general.ini beside the executable, device names from the
// loopback devices.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TestFiles.h"
#include "app/LoadSettings.h"
#include "app/Settings.h"
#include "app/model/InstrumentNames.h"
#include "song/Song.h"

namespace solvena {
namespace {

using testfiles::ExeFolder;

// Duplicates and names that differ only in case or a trailing blank, as real systems can have.
const char kDevices[] =
    "midiout Synth A\n"
    "midiout synth a\n"
    "midiout Synth A\n"
    "midiout シンセ Ｃ\n"
    "wavein Line In\n"
    "wavein Mic\n"
    "wavein Mic\n"
    "wavein Mic \n";

struct Case {
    const char* what;
    std::optional<std::string> ini;  // nullopt: no general.ini at all
    std::optional<std::string> startFolder;  // nullopt: the program's folder
    std::uint32_t waveIn;
    std::uint32_t midiOut;
};

const Case kCases[] = {
    {"no file", std::nullopt, std::nullopt, 0, 0},
    {"one line", "D:\\midi\\\r\n", "D:\\midi\\", 0, 0},
    {"exact names", "D:\\midi\\\r\nLine In\r\nシンセ Ｃ\r\n", "D:\\midi\\", 0, 3},
    {"LF line ends", "D:\\\nMic \nsynth a\n", "D:\\", 3, 1},
    {"duplicates give the lowest number", "D:\\\r\nMic\r\nSynth A\r\n", "D:\\", 1, 0},
    {"case mismatch", "D:\\\r\nMIC\r\nSYNTH A\r\n", "D:\\", 0, 0},
    {"trailing blank", "D:\\\r\nLine In \r\nシンセ Ｃ \r\n", "D:\\", 0, 0},
    {"over-long first line", std::string(300, 'f') + "\r\nMic\r\nsynth a\r\n", std::string(255, 'f'), 0, 0},
};

TEST(LoadSettings, GeneralIniAgainstDeviceNames) {
    ASSERT_TRUE(testfiles::LoadLoopbackDevices(kDevices)) << devices::LoopbackLoadError();
    testfiles::GeneralIniGuard ini;
    const std::string programFolder = ExeFolder();
    ASSERT_FALSE(programFolder.empty());

    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        if (c.ini) {
            ASSERT_TRUE(ini.Write(*c.ini));
        } else {
            ini.Remove();
        }
        // Leftovers of the case before must not survive a new load.
        app::waveInDeviceId = 99;
        app::midiOutDeviceId = 99;
        app::LoadSettings(GetModuleHandleA(nullptr));

        EXPECT_EQ(TextOf(app::startFolder), c.startFolder.value_or(programFolder));
        EXPECT_EQ(TextOf(app::instrumentsPath), programFolder + "\\instruments.ini");
        EXPECT_EQ(app::waveInDeviceId, c.waveIn);
        EXPECT_EQ(app::midiOutDeviceId, c.midiOut);
    }
}

TEST(LoadSettings, WithoutDevicesEveryNameGivesDeviceZero) {
    ASSERT_TRUE(testfiles::LoadLoopbackDevices("# no devices\n")) << devices::LoopbackLoadError();
    testfiles::GeneralIniGuard ini;
    ASSERT_TRUE(ini.Write("D:\\\r\nMic\r\nSynth A\r\n"));
    app::LoadSettings(GetModuleHandleA(nullptr));
    EXPECT_EQ(TextOf(app::startFolder), "D:\\");
    EXPECT_EQ(app::waveInDeviceId, 0u);
    EXPECT_EQ(app::midiOutDeviceId, 0u);
}

// An editor may hold the per-device file open without sharing it: it is still there, so
// instruments.ini's names must not show through.
TEST(NamesFiles, APerDeviceFileThatCannotBeOpenedStillDecides) {
    const std::string general = testfiles::TempPath("solvena-general-names.ini");
    const std::string device = testfiles::TempPath("solvena-Synth A_instruments.ini");
    ASSERT_TRUE(testfiles::WriteBytes(general, "0 0 1 0 General\n"));
    ASSERT_TRUE(testfiles::WriteBytes(device, "0 0 1 0 Device\n"));
    EXPECT_EQ(InstrumentNameFor(general, device, 0, 0, 0), "Device");
    HANDLE held = CreateFileA(device.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(InstrumentNameFor(general, device, 0, 0, 0), "");
    CloseHandle(held);
    DeleteFileA(device.c_str());
    EXPECT_EQ(InstrumentNameFor(general, device, 0, 0, 0), "General") << "no file: instruments.ini's name";
    DeleteFileA(general.c_str());
}

}  // namespace
}  // namespace solvena
