// The real main window and job stack window, created in this process as the program starts up:
// the control table's results, page changes, colours, and the commands done here.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "app/AppState.h"
#include "app/MainControlTable.h"
#include "app/MainControls.h"
#include "app/MainWindow.h"
#include "app/Pages.h"
#include "song/SongState.h"
#include "app/Startup.h"
#include "engine/win32/JobStackWindow.h"
#include "jobs/RecordingJob.h"
#include "song/TrackScan.h"

namespace solvena {
namespace {

using app::controls;
using app::ControlRow;

const char kDevices[] =
    "midiout Synth\n"
    "wavein Line In\n"
    "  rates 8000-48000\n"
    "  bits 8,16\n";

std::string TextOf(HWND window) {
    char text[512] = {};
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

bool HasVisibleStyle(HWND window) { return (StyleOf(window) & WS_VISIBLE) != 0; }

// Position and size in the main window's client coordinates.
RECT PlaceOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

// What a page change must never alter: every control's text, toggle check state and combo box
// selection, and whether it is enabled.
struct ControlData {
    std::string text;
    LRESULT check;
    LRESULT selection;
    bool enabled;

    bool operator==(const ControlData&) const = default;
};

std::vector<ControlData> DataOfAllControls(const std::vector<ControlRow>& rows) {
    std::vector<ControlData> data;
    for (const ControlRow& row : rows) {
        HWND c = *row.slot;
        const bool combo = ClassOf(c) == "ComboBox";
        data.push_back({TextOf(c), combo ? 0 : SendMessageA(c, BM_GETCHECK, 0, 0),
                        combo ? SendMessageA(c, CB_GETCURSEL, 0, 0) : 0, IsWindowEnabled(c) != FALSE});
    }
    return data;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testfiles::LoadLoopbackDevices(kDevices)) << devices::LoopbackLoadError();
        ResetJobTable();
        ASSERT_TRUE(app::CreateTopLevelWindows(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE));
        ASSERT_NE(app::mainWindow, nullptr);
        ASSERT_NE(app::jobStackWindow, nullptr);
    }

    void TearDown() override {
        if (app::jobStackWindow != nullptr) DestroyWindow(app::jobStackWindow);
        app::jobStackWindow = nullptr;
        if (app::mainWindow != nullptr) DestroyWindow(app::mainWindow);
        TakeQuit();
        ResetJobTable();
    }

    // The quit message the main window's destruction posts; -1 when there is none.
    static WPARAM TakeQuit() {
        MSG quit{};
        WPARAM code = static_cast<WPARAM>(-1);
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) code = quit.wParam;
        return code;
    }

    static void ChangePage(int page, HWND sender) {
        SendMessageA(controls.tabControl, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
        NMHDR header{};
        header.hwndFrom = sender;
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(sender));
        header.code = static_cast<UINT>(TCN_SELCHANGE);
        SendMessageA(app::mainWindow, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    static void Command(int id, int code, HWND sender) {
        SendMessageA(app::mainWindow, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(sender));
    }

    const testfiles::GeneralIniGuard noSettings_;  // device 0 preselected, start in the program folder
    const std::vector<ControlRow> rows_ = app::MainControlRows();
};

TEST_F(MainWindow, TopLevelWindowsAndTheirClasses) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSEXA main{};
    WNDCLASSEXA list{};
    main.cbSize = list.cbSize = sizeof(WNDCLASSEXA);
    ASSERT_TRUE(GetClassInfoExA(self, "mainexe", &main));
    ASSERT_TRUE(GetClassInfoExA(self, "ListWindow", &list));
    EXPECT_EQ(main.lpfnWndProc, &app::MainWndProc);
    EXPECT_EQ(list.lpfnWndProc, &engine::ListWndProc);
    for (const WNDCLASSEXA* c : {&main, &list}) {
        EXPECT_EQ(c->style, 0u);
        EXPECT_EQ(c->hbrBackground, GetSysColorBrush(COLOR_ACTIVECAPTION));
        EXPECT_NE(c->hIcon, nullptr);
        EXPECT_NE(c->hIconSm, nullptr);
        EXPECT_EQ(c->lpszMenuName, nullptr);
        EXPECT_EQ(c->cbClsExtra, 0);
        EXPECT_EQ(c->cbWndExtra, 0);
    }

    const LONG_PTR fixedSize = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    struct Expected {
        HWND window;
        const char* title;
        LONG width;
        LONG height;
        bool tool;
        bool visible;
    };
    for (const Expected& e : {Expected{app::mainWindow, "ソルベーナ version 1.00(beta)", 506, 448, false, true},
                              Expected{app::jobStackWindow, "スタック･データ", 406, 307, true, false}}) {
        SCOPED_TRACE(e.title);
        EXPECT_EQ(TextOf(e.window), e.title);
        EXPECT_EQ(StyleOf(e.window) & fixedSize, fixedSize);
        EXPECT_EQ(StyleOf(e.window) & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0);
        EXPECT_EQ((GetWindowLongPtrA(e.window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0, e.tool);
        EXPECT_EQ(IsWindowVisible(e.window) != FALSE, e.visible);
        EXPECT_EQ(GetWindow(e.window, GW_OWNER), nullptr);
        EXPECT_EQ(GetAncestor(e.window, GA_PARENT), GetDesktopWindow());
        RECT r{};
        GetWindowRect(e.window, &r);
        EXPECT_EQ(r.right - r.left, e.width);
        EXPECT_EQ(r.bottom - r.top, e.height);
    }
}

// What each control must be, written down independently of the program's own table.
struct Wanted {
    HWND* slot;
    const char* className;
    const char* text;  // nullptr: not compared (combo boxes)
    DWORD style;       // style bits the control must have
    int x;
    int y;
    int width;
    int height;  // 0: not compared
    int id;
    app::FontRole font;
    int page;
    bool enabled;
};

std::vector<Wanted> WantedControls() {
    using enum app::FontRole;
    constexpr int kAll = app::kEveryPage;
    constexpr int kBottom = app::kBottomRow;
    constexpr int kRun = app::kRunMode;
    constexpr DWORD kList = CBS_DROPDOWNLIST | CBS_AUTOHSCROLL;
    std::vector<Wanted> w = {
        {&controls.tabControl, "SysTabControl32", "", 0, 3, 2, 494, 28, 240, kSmall, kAll, true},
        {&controls.pageFrame, "Button", "", 0, 3, 32, 494, 350, 240, kNone, kAll, false},
        {&controls.openButton, "Button", "", BS_BITMAP, 20, 37, 40, 30, 7, kNone, 0, true},
        {&controls.songFileLabel, "Static", "MIDIファイルを開いて下さい", 0, 75, 37, 175, 16, 240, kNormal, 0, true},
        {&controls.songTitleLabel, "Static", "", 0, 80, 55, 140, 16, 240, kNormal, 0, false},
        {&controls.prevPageButton, "Button", "<-", 0, 240, 40, 30, 24, 1, kNormal, 0, false},
        {&controls.nextPageButton, "Button", "->", 0, 270, 40, 30, 24, 2, kNormal, 0, false},
        {&controls.startBarLabel, "Static", "録音開始小節", 0, 50, 280, 140, 12, 240, kNormal, 1, false},
        {&controls.startBarEdit, "Edit", "0", 0, 90, 296, 50, 18, 19, kNormal, 1, false},
        {&controls.endBarLabel, "Static", "録音終了小節", 0, 300, 280, 140, 16, 240, kNormal, 1, false},
        {&controls.endBarEdit, "Edit", "", 0, 340, 296, 50, 18, 20, kNormal, 1, false},
        {&controls.reverbLabel, "Static", "残響時間", 0, 300, 324, 140, 16, 240, kNormal, 1, false},
        {&controls.reverbEdit, "Edit", "5", 0, 340, 340, 30, 18, 240, kNormal, 1, false},
        {&controls.deviceHeading, "Static", "オーディオ･デバイス", 0, 40, 50, 125, 18, 240, kNormal, 2, true},
        {&controls.outputHeading, "Static", "出力ファイルの設定", 0, 40, 170, 125, 18, 240, kNormal, 2, true},
        {&controls.midiOutLabel, "Static", "MIDI OUT", 0, 85, 80, 100, 18, 240, kNormal, 2, true},
        {&controls.waveInLabel, "Static", "WAVE IN", 0, 85, 120, 100, 18, 240, kNormal, 2, true},
        {&controls.midiOutCombo, "ComboBox", nullptr, kList, 170, 77, 175, 0, 17, kNormal, 2, true},
        {&controls.waveInCombo, "ComboBox", nullptr, kList, 170, 117, 175, 0, 18, kNormal, 2, true},
        {&controls.sampleRateLabel, "Static", "サンプルレート", 0, 75, 210, 100, 18, 240, kNormal, 2, true},
        {&controls.bitsLabel, "Static", "ビットレート", 0, 75, 250, 100, 18, 240, kNormal, 2, true},
        {&controls.channelsLabel, "Static", "ステレオ", 0, 75, 290, 100, 18, 240, kNormal, 2, true},
        {&controls.sampleRateCombo, "ComboBox", nullptr, kList, 170, 210, 100, 0, 240, kNormal, 2, true},
        {&controls.bitsCombo, "ComboBox", nullptr, kList, 170, 250, 100, 0, 240, kNormal, 2, true},
        {&controls.channelsCombo, "ComboBox", nullptr, kList, 170, 290, 100, 0, 240, kNormal, 2, true},
        {&controls.deviceCheckButton, "Button", "", BS_BITMAP, 310, 205, 40, 30, 8, kNormal, 2, true},
        {&controls.controlPanelButton, "Button", "", BS_BITMAP, 350, 205, 40, 30, 9, kNormal, 2, true},
        // A picture static takes the size of its picture: the logo is loaded at 392 x 146.
        {&controls.logoImage, "Static", "", SS_BITMAP, 54, 100, 392, 146, 240, kNone, 3, true},
        {&controls.versionText, "Static", nullptr, SS_CENTER, 54, 260, 392, 100, 240, kNormal, 3, true},
        {&controls.wavNameEdit, "Edit", "", 0, 208, 390, 125, 19, 240, kSmall, kBottom, false},
        {&controls.wavNameButton, "Button", "bz", 0, 336, 390, 25, 20, 10, kSmall, kBottom, false},
        {&controls.loadListButton, "Button", "読込", 0, 363, 390, 40, 20, 12, kSmall, kBottom, true},
        {&controls.stackButton, "Button", "スタック", 0, 405, 390, 60, 20, 11, kSmall, kBottom, false},
        {&controls.showListButton, "Button", "リスト", 0, 467, 390, 30, 20, 13, kSmall, kBottom, true},
        {&controls.stemsButton, "Button", "トラック別", 0, 140, 390, 65, 20, 38, kSmall, kBottom, false},
        {&controls.busyFrame, "Button", "", 0, 3, 32, 494, 350, 240, kNone, kRun, false},
        {&controls.progressLabel, "Static", "", 0, 215, 150, 140, 20, 240, kNormal, kRun, true},
        {&controls.cancelButton, "Button", "キャンセル", 0, 220, 200, 60, 20, 37, kSmall, kRun, true},
        {&controls.jobProgressBar, "msctls_progress32", nullptr, PBS_SMOOTH, 215, 128, 140, 14, 240, kNone, kRun, true},
        {&controls.jobTimeLabel, "Static", "", 0, 215, 174, 140, 18, 240, kNormal, kRun, true},
        {&controls.jobLevelLabel, "Static", "", 0, 215, 226, 140, 18, 240, kNormal, kRun, true},
    };
    const char* const modes[] = {"ch", "inst", "part", "size"};
    for (int k = 0; k < 4; ++k) {
        w.push_back({&controls.modeButtons[k], "Button", modes[k], 0, 310 + 30 * k, 40, 30, 24, 3 + k, kNormal, 0, false});
    }
    for (int i = 0; i < 16; ++i) {
        const int column = i < 8 ? 0 : 1;
        const int y = 82 + 35 * (i - 8 * column);
        w.push_back({&controls.trackToggles[i], "Button", "未定義のトラック", BS_AUTOCHECKBOX, column ? 250 : 30, y,
                     125, 16, 21 + i, kNormal, 0, false});
        w.push_back({&controls.trackInfoLabels[i], "Static", "--", 0, column ? 380 : 160, y, 80, 16, 240, kNormal, 0,
                     false});
    }
    return w;
}

// Track page selected after creation; the other pages and run mode start hidden.
bool ShownAtStart(int page) { return page == 0 || page == app::kEveryPage || page == app::kBottomRow; }

TEST_F(MainWindow, EveryControlHasItsClassTextPlaceIdFontAndState) {
    const std::vector<Wanted> wanted = WantedControls();
    int children = 0;
    for (HWND c = GetWindow(app::mainWindow, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, static_cast<int>(wanted.size()));

    for (const Wanted& w : wanted) {
        HWND c = *w.slot;
        SCOPED_TRACE(std::string(w.className) + " id " + std::to_string(w.id) + " at " + std::to_string(w.x) + "," +
                     std::to_string(w.y));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(GetParent(c), app::mainWindow);
        EXPECT_EQ(GetDlgCtrlID(c), w.id);
        EXPECT_EQ(lstrcmpiA(ClassOf(c).c_str(), w.className), 0) << ClassOf(c);
        if (w.text != nullptr) {
            EXPECT_EQ(TextOf(c), w.text);
        }
        EXPECT_EQ(StyleOf(c) & (w.style | WS_CHILD), static_cast<LONG_PTR>(w.style | WS_CHILD));
        EXPECT_EQ(HasVisibleStyle(c), ShownAtStart(w.page));
        EXPECT_EQ(IsWindowEnabled(c) != FALSE, w.enabled);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)), app::FontFor(w.font));

        const RECT r = PlaceOf(c);
        EXPECT_EQ(r.left, w.x);
        EXPECT_EQ(r.top, w.y);
        EXPECT_EQ(r.right - r.left, w.width);
        if (w.height != 0) {
            EXPECT_EQ(r.bottom - r.top, w.height);
        }
    }
}

TEST_F(MainWindow, ControlsAreStackedInCreationOrder) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(app::mainWindow, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
    }
    std::vector<HWND> created;
    for (const ControlRow& row : rows_) created.push_back(*row.slot);
    EXPECT_EQ(children, created);
}

TEST_F(MainWindow, CreationFillsTabsPicturesAndChannels) {
    ASSERT_EQ(SendMessageA(controls.tabControl, TCM_GETITEMCOUNT, 0, 0), 4);
    const char* const captions[] = {"トラック", "録音位置", "デバイス設定", "バージョン情報"};
    for (int i = 0; i < 4; ++i) {
        char text[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(controls.tabControl, TCM_GETITEMA, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(text, captions[i]);
    }
    EXPECT_EQ(SendMessageA(controls.tabControl, TCM_GETCURSEL, 0, 0), 0);

    ASSERT_EQ(SendMessageA(controls.channelsCombo, CB_GETCOUNT, 0, 0), 2);
    char item[16] = {};
    SendMessageA(controls.channelsCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "MONORAL");
    SendMessageA(controls.channelsCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "STEREO");
    EXPECT_EQ(SendMessageA(controls.channelsCombo, CB_GETCURSEL, 0, 0), 1);

    struct Picture {
        HWND button;
        HBITMAP bitmap;
    };
    for (const Picture& p : {Picture{controls.openButton, app::openBitmap},
                             Picture{controls.deviceCheckButton, app::checkBitmap},
                             Picture{controls.controlPanelButton, app::controlPanelBitmap}}) {
        ASSERT_NE(p.bitmap, nullptr);
        EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(p.button, BM_GETIMAGE, IMAGE_BITMAP, 0)), p.bitmap);
        const SIZE size = BitmapSize(p.bitmap);
        EXPECT_EQ(size.cx, 30);
        EXPECT_EQ(size.cy, 24);
    }
    ASSERT_NE(app::logoBitmap, nullptr);
    EXPECT_NE(SendMessageA(controls.logoImage, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    // Three lines: blank, the home page, the credit.
    const std::string version = TextOf(controls.versionText);
    ASSERT_EQ(version.rfind("\r\n公式ホームページ http", 0), 0u) << version;
    const std::size_t creditStart = version.find("\r\n", 2);
    ASSERT_NE(creditStart, std::string::npos);
    EXPECT_GT(version.size(), creditStart + 2);
    EXPECT_EQ(version.find("\r\n", creditStart + 2), std::string::npos);

    EXPECT_EQ(mainSong.trackCount, 0u);
    EXPECT_EQ(runSong.trackCount, 0u);
}

TEST_F(MainWindow, PageChangesApplyMembershipAndChangeNoData) {
    // Some state a page change could disturb.
    SendMessageA(controls.trackToggles[3], BM_SETCHECK, BST_CHECKED, 0);
    SetWindowTextA(controls.endBarEdit, "12");
    SendMessageA(controls.channelsCombo, CB_SETCURSEL, 0, 0);
    const std::vector<ControlData> before = DataOfAllControls(rows_);

    // The last one comes from another control than the tab control: the sender does not matter.
    const int pages[] = {1, 2, 3, 2, 0, 3};
    for (std::size_t step = 0; step < std::size(pages); ++step) {
        const int page = pages[step];
        SCOPED_TRACE("page " + std::to_string(page));
        ChangePage(page, step + 1 < std::size(pages) ? controls.tabControl : controls.stackButton);
        for (const Wanted& w : WantedControls()) {
            SCOPED_TRACE(std::string(w.className) + " id " + std::to_string(w.id) + " at " + std::to_string(w.x) +
                         "," + std::to_string(w.y));
            bool shown = false;
            switch (w.page) {
                case app::kEveryPage:
                case app::kBottomRow: shown = true; break;
                case app::kRunMode: shown = false; break;
                default: shown = w.page == page; break;
            }
            EXPECT_EQ(HasVisibleStyle(*w.slot), shown);
        }
        EXPECT_EQ(DataOfAllControls(rows_), before);
    }
}

TEST_F(MainWindow, StaticColoursAnswerById) {
    struct Expected {
        int id;
        HBRUSH brush;
    };
    HDC dc = GetDC(app::mainWindow);
    for (const Expected& e : {Expected{2, app::markerBrush}, Expected{1, GetSysColorBrush(COLOR_SCROLLBAR)},
                              Expected{3, GetSysColorBrush(COLOR_ACTIVECAPTION)}, Expected{240, nullptr},
                              Expected{0, nullptr}, Expected{4, nullptr}}) {
        SCOPED_TRACE(e.id);
        HWND probe = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, app::mainWindow,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(e.id)), nullptr, nullptr);
        ASSERT_NE(probe, nullptr);
        const LRESULT answer =
            SendMessageA(app::mainWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(probe));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), e.brush);
        DestroyWindow(probe);
    }
    ReleaseDC(app::mainWindow, dc);

    LOGBRUSH marker{};
    ASSERT_EQ(GetObjectA(app::markerBrush, sizeof marker, &marker), static_cast<int>(sizeof marker));
    EXPECT_EQ(marker.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(marker.lbColor, RGB(255, 80, 0));
}

TEST_F(MainWindow, ShowListShowsTheEmptyStack) {
    ASSERT_FALSE(IsWindowVisible(app::jobStackWindow));
    Command(app::kShowListId, BN_CLICKED, controls.showListButton);
    EXPECT_TRUE(IsWindowVisible(app::jobStackWindow));
    EXPECT_FALSE(IsIconic(app::jobStackWindow));
    EXPECT_EQ(jobCount, 0);
    EXPECT_TRUE(IsWindow(app::mainWindow));
}

TEST_F(MainWindow, SongTitleGoesToItsLabel) {
    // Track 0 of a one-track song: its first track name is the song's title.
    const std::uint8_t events[] = {0x00, 0xFF, 0x03, 0x06, 0x83, 0x5C, 'T', 'i', 't', 'l', 0x00, 0xFF, 0x2F, 0x00};
    TrackInfo& track = tracks[0];
    track.data.assign(kTrackBufferSize, 0);
    std::copy(std::begin(events), std::end(events), track.data.begin());
    track.length = sizeof events;
    mainSong.trackCount = 1;
    ScanTracks(mainSong, tracks);
    EXPECT_EQ(TextOf(controls.songTitleLabel), "ソTitl");
}

TEST_F(MainWindow, CancelEndsTheProgramAndReleasesEverything) {
    Command(app::kShowListId, BN_CLICKED, controls.showListButton);
    ASSERT_TRUE(IsWindowVisible(app::jobStackWindow));
    mainSong.ResetConductor();
    mainSong.trackCount = 1;
    runSong.ResetConductor();
    tracks[5].data.assign(kTrackBufferSize, 0x90);
    tracks[5].name = "name";
    jobs[0].midiPath[0] = 'x';
    jobCount = 1;
    TakeQuit();

    const HWND main = app::mainWindow;
    Command(app::kCancelId, BN_CLICKED, controls.cancelButton);

    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(app::mainWindow, nullptr);
    EXPECT_EQ(TakeQuit(), 0u);
    EXPECT_TRUE(mainSong.conductor.empty());
    EXPECT_EQ(mainSong.trackCount, 0u);
    EXPECT_TRUE(runSong.conductor.empty());
    EXPECT_TRUE(tracks[5].data.empty());
    EXPECT_FALSE(tracks[5].name.has_value());
    EXPECT_EQ(jobCount, 0);
    EXPECT_EQ(jobs[0].midiPath[0], '\0');
    EXPECT_EQ(app::smallFont, nullptr);
    EXPECT_EQ(app::normalFont, nullptr);
    EXPECT_EQ(app::labelFont, nullptr);
    EXPECT_EQ(app::markerBrush, nullptr);
    EXPECT_EQ(app::logoBitmap, nullptr);
    // The job stack window is left to end with the process.
    EXPECT_TRUE(IsWindow(app::jobStackWindow));
}

TEST_F(MainWindow, CloseBoxEndsTheProgramToo) {
    const HWND main = app::mainWindow;
    TakeQuit();
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(TakeQuit(), 0u);
}

}  // namespace
}  // namespace solvena
