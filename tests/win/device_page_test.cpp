// The loopback device seam in this process, and the device settings page on real combo boxes
// over it: list texts, probing, the close-up refill and the device check's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "app/AppState.h"
#include "app/DevicePage.h"
#include "app/MainControls.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "engine/FormatProbe.h"
#include "loopback/seam/Loopback.h"

namespace solvena {
namespace {

using devices::LoopbackQueryRecord;
using devices::PcmFormat;
using Items = std::vector<std::string>;

const char kDevices[] =
    "# three of each\n"
    "midiout Synth A\n"
    "midiout Synth A  \r\n"
    "midiout シンセ Ｃ\n"
    "wavein Narrow\n"
    "  rates 8000-44100, 192000\n"
    "  bits 8,16\n"
    "wavein Studio\n"
    "wavein Deaf\n"
    "  rates none\n"
    "  fail query 4\n";

const Items kAllRates = {"8000Hz", "11025Hz", "22050Hz", "44100Hz", "96000Hz", "192000Hz"};
const Items kAllDepths = {"8 bit", "16 bit", "24 bit", "32 bit"};
const Items kNarrowRates = {"8000Hz", "11025Hz", "22050Hz", "44100Hz"};
const Items kNarrowDepths = {"8 bit", "16 bit"};

using testfiles::ExeFolder;
using testfiles::ReadBytes;
using testfiles::TempPath;
using testfiles::WriteBytes;

bool LoadDevices(const std::string& text) { return testfiles::LoadLoopbackDevices(text); }

Items ComboItems(HWND combo) {
    Items items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) return {"<bad entry>"};
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

LRESULT Selection(HWND combo) { return SendMessageA(combo, CB_GETCURSEL, 0, 0); }

void Select(HWND combo, int position) {
    ASSERT_EQ(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(position), 0), position);
}

// What a query record says, in one comparable line.
std::string Describe(const LoopbackQueryRecord& record) {
    const devices::WaveFormat& f = record.format;
    return "device " + std::to_string(record.device) + ": " + std::to_string(f.channels) + " ch " +
           std::to_string(f.samplesPerSec) + " Hz " + std::to_string(f.bitsPerSample) + " bit align " +
           std::to_string(f.blockAlign) + " " + std::to_string(f.avgBytesPerSec) + " B/s";
}

Items TakeQueries() {
    Items lines;
    for (const LoopbackQueryRecord& record : devices::LoopbackTakeQueries()) lines.push_back(Describe(record));
    return lines;
}

std::string RateQuery(std::uint32_t device, std::uint32_t rate) {
    return Describe({device, devices::RateProbeFormat(rate)});
}
std::string DepthQuery(std::uint32_t device, std::uint16_t bits) {
    return Describe({device, devices::DepthProbeFormat(bits)});
}

TEST(LoopbackSeam, AnswersFromTheLoadedFile) {
    ASSERT_TRUE(LoadDevices(kDevices)) << devices::LoopbackLoadError();
    EXPECT_EQ(devices::LoopbackLoadError(), "");
    ASSERT_EQ(devices::MidiOutCount(), 3u);
    EXPECT_EQ(devices::MidiOutName(0), "Synth A");
    EXPECT_EQ(devices::MidiOutName(1), "Synth A  ");
    EXPECT_EQ(devices::MidiOutName(2), "シンセ Ｃ");
    EXPECT_EQ(devices::MidiOutName(3), "");
    ASSERT_EQ(devices::WaveInCount(), 3u);
    EXPECT_EQ(devices::WaveInName(0), "Narrow");
    EXPECT_EQ(devices::WaveInName(2), "Deaf");
    EXPECT_EQ(devices::WaveInName(0xFFFFFFFF), "");

    devices::LoopbackTakeQueries();
    EXPECT_EQ(devices::WaveInQuery(0, PcmFormat(1, 44100, 16)), devices::kMmNoError);
    EXPECT_EQ(devices::WaveInQuery(0, PcmFormat(1, 96000, 16)), devices::kWaveBadFormat);
    EXPECT_EQ(devices::WaveInQuery(1, PcmFormat(2, 192000, 32)), devices::kMmNoError);
    EXPECT_EQ(devices::WaveInQuery(2, PcmFormat(2, 44100, 16)), 4u);
    EXPECT_EQ(devices::WaveInQuery(3, PcmFormat(2, 44100, 16)), devices::kMmBadDeviceId);
    EXPECT_EQ(TakeQueries().size(), 5u);
    EXPECT_TRUE(devices::LoopbackTakeQueries().empty());
}

TEST(LoopbackSeam, UnreadableOrInvalidFileLeavesNoDevices) {
    ASSERT_TRUE(LoadDevices(kDevices));
    EXPECT_FALSE(devices::LoopbackLoadDeviceFile(TempPath("solvena-no-such-file.txt")));
    EXPECT_EQ(devices::MidiOutCount(), 0u);
    EXPECT_EQ(devices::WaveInCount(), 0u);
    EXPECT_NE(devices::LoopbackLoadError(), "");

    ASSERT_TRUE(LoadDevices(kDevices));
    EXPECT_FALSE(LoadDevices("wavein Mic\nrate 8000\n"));
    EXPECT_EQ(devices::WaveInCount(), 0u);
    EXPECT_NE(devices::LoopbackLoadError().find("line 2"), std::string::npos) << devices::LoopbackLoadError();
}

TEST(LoopbackSeam, DefaultFileIsTheOneBesideTheExecutable) {
    const std::string path = ExeFolder() + "\\loopback-devices.txt";
    const std::optional<std::string> saved = ReadBytes(path);
    ASSERT_TRUE(WriteBytes(path, "wavein Beside\r\nmidiout Here \r\n"));
    EXPECT_TRUE(devices::LoopbackLoadDefaultDeviceFile()) << devices::LoopbackLoadError();
    EXPECT_EQ(devices::WaveInName(0), "Beside");
    EXPECT_EQ(devices::MidiOutName(0), "Here ");

    ASSERT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_TRUE(devices::LoopbackLoadDefaultDeviceFile()) << "a missing file is a system without devices";
    EXPECT_EQ(devices::WaveInCount(), 0u);
    EXPECT_EQ(devices::MidiOutCount(), 0u);

    ASSERT_TRUE(WriteBytes(path, "wavein\n"));
    EXPECT_FALSE(devices::LoopbackLoadDefaultDeviceFile());
    EXPECT_NE(devices::LoopbackLoadError().find("line 1"), std::string::npos) << devices::LoopbackLoadError();
    if (saved) {
        WriteBytes(path, *saved);
    } else {
        DeleteFileA(path.c_str());
    }
}

// Runs `action` while another thread waits for the device check's message box, reads it and
// presses OK. The answer is the box's text, or a note of what was wrong with it.
class CheckMessageWatcher {
public:
    std::string Run(void (*action)()) {
        HANDLE thread = CreateThread(nullptr, 0, &CheckMessageWatcher::Watch, this, 0, nullptr);
        if (!thread) return "<no watcher thread>";
        action();
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return text_;
    }

    HWND owner = nullptr;

private:
    static DWORD WINAPI Watch(void* self) {
        static_cast<CheckMessageWatcher*>(self)->AnswerBox();
        return 0;
    }

    void AnswerBox() {
        HWND box = nullptr;
        for (int tries = 0; tries < 500 && !box; ++tries) {
            box = FindWindowA("#32770", "デバイスチェック");
            if (!box) Sleep(10);
        }
        if (!box) {
            text_ = "<no message box>";
            return;
        }
        char text[512] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        text_ = text;
        if (GetWindow(box, GW_OWNER) != owner) text_ += " <not owned by the main window>";
        for (int button : {IDCANCEL, IDYES, IDNO}) {
            HWND other = GetDlgItem(box, button);
            if (other && IsWindowVisible(other)) text_ += " <more than an OK button>";
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    std::string text_;
};

const char kAccepted[] = "この設定で録音が可能です。";
const char kRefused[] = "WAV_INデバイスがこの設定に対応していません。\n設定かデバイスを変更してください。";

// A hidden window of our own holding the page's five lists, standing in for the main window.
class DevicePage : public ::testing::Test {
protected:
    void SetUp() override {
        savedControls = app::controls;
        savedMainWindow = app::mainWindow;
        savedWaveIn = app::waveInDeviceId;
        savedMidiOut = app::midiOutDeviceId;
        HINSTANCE instance = GetModuleHandleA(nullptr);
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 506, 448, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(window, nullptr);
        app::mainWindow = window;
        auto combo = [&](int y) {
            return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL, 170,
                                   y, 175, 108, window, reinterpret_cast<HMENU>(240), instance, nullptr);
        };
        app::controls.midiOutCombo = combo(77);
        app::controls.waveInCombo = combo(117);
        app::controls.sampleRateCombo = combo(210);
        app::controls.bitsCombo = combo(250);
        app::controls.channelsCombo = combo(290);
        SendMessageA(app::controls.channelsCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("MONORAL"));
        SendMessageA(app::controls.channelsCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("STEREO"));
        app::waveInDeviceId = 0;
        app::midiOutDeviceId = 0;
        watcher.owner = window;
    }

    void TearDown() override {
        if (window) DestroyWindow(window);
        app::controls = savedControls;
        app::mainWindow = savedMainWindow;
        app::waveInDeviceId = savedWaveIn;
        app::midiOutDeviceId = savedMidiOut;
    }

    // Window creation steps 12 and 14, with the queries the probing made.
    Items Create() {
        devices::LoopbackTakeQueries();
        app::FillDeviceLists();
        app::SelectInitialDeviceEntries();
        return TakeQueries();
    }

    Items CloseWaveInList() {
        devices::LoopbackTakeQueries();
        app::OnWaveInCloseUp();
        return TakeQueries();
    }

    std::string Check() { return watcher.Run(&app::OnDeviceCheck); }

    void ExpectFormats(const Items& rates, LRESULT rate, const Items& depths, LRESULT depth) {
        EXPECT_EQ(ComboItems(app::controls.sampleRateCombo), rates);
        EXPECT_EQ(Selection(app::controls.sampleRateCombo), rate);
        EXPECT_EQ(ComboItems(app::controls.bitsCombo), depths);
        EXPECT_EQ(Selection(app::controls.bitsCombo), depth);
    }

    app::MainControls savedControls;
    HWND savedMainWindow = nullptr;
    std::uint32_t savedWaveIn = 0;
    std::uint32_t savedMidiOut = 0;
    HWND window = nullptr;
    CheckMessageWatcher watcher;
};

TEST_F(DevicePage, CreationListsDevicesAndProbesDeviceZero) {
    ASSERT_TRUE(LoadDevices(kDevices));
    app::waveInDeviceId = 1;
    app::midiOutDeviceId = 2;
    const Items queries = Create();
    EXPECT_EQ(ComboItems(app::controls.midiOutCombo), (Items{"0: Synth A", "1: Synth A  ", "2: シンセ Ｃ"}));
    EXPECT_EQ(ComboItems(app::controls.waveInCombo), (Items{"0: Narrow", "1: Studio", "2: Deaf"}));
    EXPECT_EQ(Selection(app::controls.midiOutCombo), 2);
    EXPECT_EQ(Selection(app::controls.waveInCombo), 1);
    EXPECT_EQ(Selection(app::controls.channelsCombo), 1);
    // Device 0, not the preselected device 1; 192000 Hz is not tried after 96000 Hz is refused.
    ExpectFormats(kNarrowRates, 3, kNarrowDepths, 1);
    const Items expected = {
        RateQuery(0, 8000),  RateQuery(0, 11025), RateQuery(0, 22050), RateQuery(0, 44100),
        RateQuery(0, 96000), DepthQuery(0, 8),    DepthQuery(0, 16),    DepthQuery(0, 24),
    };
    EXPECT_EQ(queries, expected);
}

TEST_F(DevicePage, InitialPositionsThatDoNotExistLeaveNoSelection) {
    ASSERT_TRUE(LoadDevices("midiout Synth\nwavein Slow\n  rates 8000-22050\n  bits 8\n"));
    app::waveInDeviceId = 1;  // only device 0 exists
    app::midiOutDeviceId = 5;
    Create();
    EXPECT_EQ(Selection(app::controls.waveInCombo), CB_ERR);
    EXPECT_EQ(Selection(app::controls.midiOutCombo), CB_ERR);
    ExpectFormats({"8000Hz", "11025Hz", "22050Hz"}, CB_ERR, {"8 bit"}, CB_ERR);
    EXPECT_EQ(Check(), "WAVE INデバイスが選択されていません。");

    Select(app::controls.waveInCombo, 0);
    EXPECT_EQ(Check(), "サンプルレートが選択されていません。");
    Select(app::controls.sampleRateCombo, 2);
    EXPECT_EQ(Check(), "ビットレートが選択されていません。");
    Select(app::controls.bitsCombo, 0);
    EXPECT_EQ(Check(), kAccepted);
}

TEST_F(DevicePage, CloseUpProbesTheChosenDeviceAndReselects) {
    ASSERT_TRUE(LoadDevices(kDevices));
    Create();
    Select(app::controls.sampleRateCombo, 2);
    Select(app::controls.bitsCombo, 0);
    Select(app::controls.channelsCombo, 0);
    Select(app::controls.waveInCombo, 1);
    Items queries = CloseWaveInList();
    ExpectFormats(kAllRates, 3, kAllDepths, 1);
    EXPECT_EQ(Selection(app::controls.channelsCombo), 0);
    EXPECT_EQ(Selection(app::controls.waveInCombo), 1);
    ASSERT_EQ(queries.size(), 10u);
    EXPECT_EQ(queries.front(), RateQuery(1, 8000));
    EXPECT_EQ(queries.back(), DepthQuery(1, 32));

    // A device refusing every query empties both lists.
    Select(app::controls.waveInCombo, 2);
    queries = CloseWaveInList();
    ExpectFormats({}, CB_ERR, {}, CB_ERR);
    EXPECT_EQ(queries, (Items{RateQuery(2, 8000), DepthQuery(2, 8)}));

    // Closing again without a change still refills.
    Select(app::controls.waveInCombo, 0);
    CloseWaveInList();
    Select(app::controls.sampleRateCombo, 0);
    queries = CloseWaveInList();
    ExpectFormats(kNarrowRates, 3, kNarrowDepths, 1);
    EXPECT_EQ(queries.size(), 8u);
}

TEST_F(DevicePage, DeviceCheckQueriesTheSelectedDeviceWithThePageFormat) {
    ASSERT_TRUE(LoadDevices(kDevices));
    Create();
    // Without a MIDI OUT device an accepted check offers no delay measurement: only its own box comes.
    Select(app::controls.midiOutCombo, -1);
    // Mono, 44100 Hz, 16 bits on device 0.
    Select(app::controls.channelsCombo, 0);
    devices::LoopbackTakeQueries();
    EXPECT_EQ(Check(), kAccepted);
    EXPECT_EQ(TakeQueries(), (Items{"device 0: 1 ch 44100 Hz 16 bit align 2 88200 B/s"}));

    // Lists of device 1, but the check asks the selected device 0, which refuses 96000 Hz.
    Select(app::controls.waveInCombo, 1);
    CloseWaveInList();
    Select(app::controls.waveInCombo, 0);
    Select(app::controls.channelsCombo, 1);
    Select(app::controls.sampleRateCombo, 4);
    Select(app::controls.bitsCombo, 2);
    EXPECT_EQ(Check(), kRefused);
    EXPECT_EQ(TakeQueries(), (Items{"device 0: 2 ch 96000 Hz 24 bit align 6 576000 B/s"}));

    Select(app::controls.waveInCombo, 1);
    EXPECT_EQ(Check(), kAccepted);
    // An injected failure of the query is a refusal too.
    Select(app::controls.waveInCombo, 2);
    EXPECT_EQ(Check(), kRefused);
}

TEST_F(DevicePage, SystemWithoutDevicesNeverIndexesOutside) {
    ASSERT_TRUE(LoadDevices("# no devices\n"));
    EXPECT_EQ(Create(), (Items{RateQuery(0, 8000), DepthQuery(0, 8)}));
    EXPECT_EQ(ComboItems(app::controls.midiOutCombo), Items{});
    EXPECT_EQ(ComboItems(app::controls.waveInCombo), Items{});
    ExpectFormats({}, CB_ERR, {}, CB_ERR);
    EXPECT_EQ(Selection(app::controls.channelsCombo), 1);
    EXPECT_EQ(Check(), "WAVE INデバイスが選択されていません。");
    // Without a selection the probe device stays 0 rather than the wave mapper's number.
    EXPECT_EQ(CloseWaveInList(), (Items{RateQuery(0, 8000), DepthQuery(0, 8)}));
}

// The real main window, created as at start-up, with general.ini preselecting WAVE IN device 1.
TEST(MainWindowDevicePage, ListsAfterCreationComeFromDeviceZero) {
    ASSERT_TRUE(LoadDevices(kDevices));
    bool created = false;
    {
        const testfiles::GeneralIniGuard ini;
        ASSERT_TRUE(ini.Write("C:\\midi\\\r\nStudio\r\nSynth A  \r\n"));
        devices::LoopbackTakeQueries();
        created = app::CreateTopLevelWindows(GetModuleHandleA(nullptr), SW_HIDE);
    }
    ASSERT_TRUE(created);

    EXPECT_EQ(ComboItems(app::controls.waveInCombo), (Items{"0: Narrow", "1: Studio", "2: Deaf"}));
    EXPECT_EQ(ComboItems(app::controls.midiOutCombo), (Items{"0: Synth A", "1: Synth A  ", "2: シンセ Ｃ"}));
    EXPECT_EQ(Selection(app::controls.waveInCombo), 1);
    EXPECT_EQ(Selection(app::controls.midiOutCombo), 1);
    EXPECT_EQ(ComboItems(app::controls.sampleRateCombo), kNarrowRates);
    EXPECT_EQ(ComboItems(app::controls.bitsCombo), kNarrowDepths);
    EXPECT_EQ(Selection(app::controls.channelsCombo), 1);
    for (const LoopbackQueryRecord& record : devices::LoopbackTakeQueries()) EXPECT_EQ(record.device, 0u);

    // The drop-down closing, as the combo box reports it to the main window.
    SendMessageA(app::mainWindow, WM_COMMAND, MAKEWPARAM(app::kWaveInId, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(app::controls.waveInCombo));
    EXPECT_EQ(ComboItems(app::controls.sampleRateCombo), kAllRates);
    EXPECT_EQ(Selection(app::controls.sampleRateCombo), 3);

    DestroyWindow(app::jobStackWindow);
    app::jobStackWindow = nullptr;
    DestroyWindow(app::mainWindow);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
}  // namespace solvena
