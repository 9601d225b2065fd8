#include "app/MainControls.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <span>

#include "app/AppState.h"
#include "app/DevicePage.h"
#include "app/MainControlTable.h"
#include "app/MainWindow.h"
#include "app/Pages.h"
#include "song/SongState.h"
#include "app/VersionPage.h"
#include "song/TrackScan.h"

namespace solvena::app {

MainControls controls;
HBRUSH markerBrush = nullptr;
HBITMAP openBitmap = nullptr;
HBITMAP checkBitmap = nullptr;
HBITMAP controlPanelBitmap = nullptr;
HBITMAP logoBitmap = nullptr;

namespace {

using enum FontRole;

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kHidden = 0;
constexpr DWORD kDeviceCombo = WS_VSCROLL | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL;
// The job progress bar counts in thousandths, as the run reports them.
constexpr LPARAM kJobProgressRange = 1000;

// Track rows: the left column holds toggles 0-7, the right one 8-15, 35 pixels apart.
ControlRow TrackToggle(int i) {
    return {"BUTTON", "未定義のトラック", nullptr, kShown | WS_DISABLED | BS_AUTOCHECKBOX,
            30 + 220 * (i / 8), 82 + 35 * (i % 8), 125, 16, kFirstTrackToggleId + i, kNormal, kTrackPage,
            &controls.trackToggles[static_cast<std::size_t>(i)]};
}

ControlRow TrackInfoLabel(int i) {
    return {"STATIC", "--", nullptr, kShown | WS_DISABLED, 160 + 220 * (i / 8), 82 + 35 * (i % 8), 80, 16,
            kUnhandledId, kNormal, kTrackPage, &controls.trackInfoLabels[static_cast<std::size_t>(i)]};
}

ControlRow ModeButton(int k, const char* caption) {
    return {"BUTTON", "", caption, kShown | WS_DISABLED, 310 + 30 * k, 40, 30, 24, kFirstModeId + k, kNormal,
            kTrackPage, &controls.modeButtons[static_cast<std::size_t>(k)]};
}

// The frame every page shares: the tab control and the page frame (the brush follows the rows).
const ControlRow kFrameRows[] = {
    {WC_TABCONTROLA, nullptr, nullptr, kShown, 3, 2, 494, 28, kUnhandledId, kSmall, kEveryPage, &controls.tabControl},
    {"BUTTON", "", nullptr, kShown | WS_DISABLED | BS_PUSHBUTTON, 3, 32, 494, 350, kUnhandledId, kNone, kEveryPage,
     &controls.pageFrame},
};

// The トラック page: the track toggles with their info labels, the page and open buttons, and
// the song's file and title.
const ControlRow kTrackPageRows[] = {
    TrackToggle(0), TrackInfoLabel(0), TrackToggle(1), TrackInfoLabel(1),
    TrackToggle(2), TrackInfoLabel(2), TrackToggle(3), TrackInfoLabel(3),
    TrackToggle(4), TrackInfoLabel(4), TrackToggle(5), TrackInfoLabel(5),
    TrackToggle(6), TrackInfoLabel(6), TrackToggle(7), TrackInfoLabel(7),
    TrackToggle(8), TrackInfoLabel(8), TrackToggle(9), TrackInfoLabel(9),
    TrackToggle(10), TrackInfoLabel(10), TrackToggle(11), TrackInfoLabel(11),
    TrackToggle(12), TrackInfoLabel(12), TrackToggle(13), TrackInfoLabel(13),
    TrackToggle(14), TrackInfoLabel(14), TrackToggle(15), TrackInfoLabel(15),
    {"BUTTON", "", "<-", kShown | WS_DISABLED, 240, 40, 30, 24, kPrevPageId, kNormal, kTrackPage, &controls.prevPageButton},
    {"BUTTON", "", "->", kShown | WS_DISABLED, 270, 40, 30, 24, kNextPageId, kNormal, kTrackPage, &controls.nextPageButton},
    ModeButton(0, "ch"), ModeButton(1, "inst"), ModeButton(2, "part"), ModeButton(3, "size"),
    {"BUTTON", "", nullptr, kShown | BS_BITMAP, 20, 37, 40, 30, kOpenId, kNone, kTrackPage, &controls.openButton},
    {"STATIC", "MIDIファイルを開いて下さい", nullptr, kShown, 75, 37, 175, 16, kUnhandledId, kNormal, kTrackPage,
     &controls.songFileLabel},
    {"STATIC", "", nullptr, kShown | WS_DISABLED, 80, 55, 140, 16, kUnhandledId, kNormal, kTrackPage,
     &controls.songTitleLabel},
};

// The 録音位置 page: the start and end bars and the reverb time.
const ControlRow kRecordingPageRows[] = {
    {"STATIC", "録音開始小節", nullptr, kHidden | WS_DISABLED, 50, 280, 140, 12, kUnhandledId, kNormal, kRecordingPage,
     &controls.startBarLabel},
    {"EDIT", "0", nullptr, kHidden | WS_DISABLED | WS_BORDER, 90, 296, 50, 18, kStartBarId, kNormal, kRecordingPage,
     &controls.startBarEdit},
    {"STATIC", "録音終了小節", nullptr, kHidden | WS_DISABLED, 300, 280, 140, 16, kUnhandledId, kNormal, kRecordingPage,
     &controls.endBarLabel},
    {"EDIT", "", nullptr, kHidden | WS_DISABLED | WS_BORDER, 340, 296, 50, 18, kEndBarId, kNormal, kRecordingPage,
     &controls.endBarEdit},
    {"EDIT", "5", nullptr, kHidden | WS_DISABLED | WS_BORDER, 340, 340, 30, 18, kUnhandledId, kNormal, kRecordingPage,
     &controls.reverbEdit},
    {"STATIC", "残響時間", nullptr, kHidden | WS_DISABLED, 300, 324, 140, 16, kUnhandledId, kNormal, kRecordingPage,
     &controls.reverbLabel},
};

// The row under every page: the WAV name, スタック, トラック別, 読込 and リスト.
const ControlRow kBottomRows[] = {
    {"BUTTON", "bz", nullptr, kShown | WS_DISABLED, 336, 390, 25, 20, kWavNameId, kSmall, kBottomRow,
     &controls.wavNameButton},
    {"BUTTON", "読込", nullptr, kShown, 363, 390, 40, 20, kLoadListId, kSmall, kBottomRow, &controls.loadListButton},
    {"BUTTON", "スタック", nullptr, kShown | WS_DISABLED, 405, 390, 60, 20, kStackId, kSmall, kBottomRow,
     &controls.stackButton},
    {"BUTTON", "リスト", nullptr, kShown, 467, 390, 30, 20, kShowListId, kSmall, kBottomRow, &controls.showListButton},
    {"EDIT", "", nullptr, kShown | WS_DISABLED, 208, 390, 125, 19, kUnhandledId, kSmall, kBottomRow,
     &controls.wavNameEdit},
    // Stacks the song as stems; usable exactly when スタック is (the track page enables both).
    {"BUTTON", "トラック別", nullptr, kShown | WS_DISABLED, 140, 390, 65, 20, kStemsId, kSmall, kBottomRow,
     &controls.stemsButton},
};

// The デバイス設定 page: the devices, the format, and the check and control panel buttons.
const ControlRow kDevicePageRows[] = {
    {"STATIC", "オーディオ･デバイス", nullptr, kHidden, 40, 50, 125, 18, kUnhandledId, kNormal, kDevicePage,
     &controls.deviceHeading},
    {"STATIC", "出力ファイルの設定", nullptr, kHidden, 40, 170, 125, 18, kUnhandledId, kNormal, kDevicePage,
     &controls.outputHeading},
    {"STATIC", "MIDI OUT", nullptr, kHidden, 85, 80, 100, 18, kUnhandledId, kNormal, kDevicePage, &controls.midiOutLabel},
    {"STATIC", "WAVE IN", nullptr, kHidden, 85, 120, 100, 18, kUnhandledId, kNormal, kDevicePage, &controls.waveInLabel},
    {"COMBOBOX", nullptr, nullptr, kHidden | kDeviceCombo, 170, 77, 175, 108, kMidiOutId, kNormal, kDevicePage,
     &controls.midiOutCombo},
    {"COMBOBOX", nullptr, nullptr, kHidden | kDeviceCombo, 170, 117, 175, 108, kWaveInId, kNormal, kDevicePage,
     &controls.waveInCombo},
    {"STATIC", "サンプルレート", nullptr, kHidden, 75, 210, 100, 18, kUnhandledId, kNormal, kDevicePage,
     &controls.sampleRateLabel},
    {"STATIC", "ビットレート", nullptr, kHidden, 75, 250, 100, 18, kUnhandledId, kNormal, kDevicePage,
     &controls.bitsLabel},
    {"STATIC", "ステレオ", nullptr, kHidden, 75, 290, 100, 18, kUnhandledId, kNormal, kDevicePage,
     &controls.channelsLabel},
    {"COMBOBOX", nullptr, nullptr, kHidden | kDeviceCombo, 170, 210, 100, 72, kUnhandledId, kNormal, kDevicePage,
     &controls.sampleRateCombo},
    {"COMBOBOX", nullptr, nullptr, kHidden | kDeviceCombo, 170, 250, 100, 72, kUnhandledId, kNormal, kDevicePage,
     &controls.bitsCombo},
    {"COMBOBOX", nullptr, nullptr, kHidden | kDeviceCombo, 170, 290, 100, 72, kUnhandledId, kNormal, kDevicePage,
     &controls.channelsCombo},
    {"BUTTON", "", nullptr, kHidden | BS_BITMAP, 310, 205, 40, 30, kDeviceCheckId, kNormal, kDevicePage,
     &controls.deviceCheckButton},
    {"BUTTON", "", nullptr, kHidden | BS_BITMAP, 350, 205, 40, 30, kControlPanelId, kNormal, kDevicePage,
     &controls.controlPanelButton},
};

// Last, the run mode's controls, then the version page (the logo gets its picture
// before the text is created).
const ControlRow kRunModeRows[] = {
    {"BUTTON", "", nullptr, kHidden | WS_DISABLED | BS_PUSHBUTTON, 3, 32, 494, 350, kUnhandledId, kNone, kRunMode,
     &controls.busyFrame},
    {"STATIC", "", nullptr, kHidden, 215, 150, 140, 20, kUnhandledId, kNormal, kRunMode, &controls.progressLabel},
    {"BUTTON", "キャンセル", nullptr, kHidden, 220, 200, 60, 20, kCancelId, kSmall, kRunMode, &controls.cancelButton},
    // The job's clock and progress, above and below the progress text where the frame is bare.
    {PROGRESS_CLASSA, nullptr, nullptr, kHidden | PBS_SMOOTH, 215, 128, 140, 14, kUnhandledId, kNone, kRunMode,
     &controls.jobProgressBar},
    {"STATIC", "", nullptr, kHidden, 215, 174, 140, 18, kUnhandledId, kNormal, kRunMode, &controls.jobTimeLabel},
    // Below the cancel button: the input's peak so far, so a silent input shows while it records.
    {"STATIC", "", nullptr, kHidden, 215, 226, 140, 18, kUnhandledId, kNormal, kRunMode, &controls.jobLevelLabel},
};
const ControlRow kLogoRow =
    {"STATIC", "", nullptr, kHidden | SS_BITMAP, 54, 100, 360, 180, kUnhandledId, kNone, kVersionPage, &controls.logoImage};
const ControlRow kVersionTextRow = {"STATIC", kVersionText, nullptr, kHidden | SS_CENTER, 54, 260, 392, 100,
                                    kUnhandledId, kNormal, kVersionPage, &controls.versionText};

void CreateRow(const ControlRow& row, HWND window, HINSTANCE instance) {
    HWND control = CreateWindowExA(0, row.className, row.text, WS_CHILD | row.style, row.x, row.y, row.width,
                                   row.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                   instance, nullptr);
    *row.slot = control;
    if (control == nullptr) return;
    if (row.givenText != nullptr) SetWindowTextA(control, row.givenText);
    if (HFONT font = FontFor(row.font); font != nullptr) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

template <std::size_t N>
void CreateRows(const ControlRow (&rows)[N], HWND window, HINSTANCE instance) {
    for (const ControlRow& row : rows) CreateRow(row, window, instance);
}

HBITMAP LoadButtonPicture(HINSTANCE instance, const char* name) {
    return static_cast<HBITMAP>(
        LoadImageA(instance, name, IMAGE_BITMAP, 30, 24, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
}

void LoadPictures(HINSTANCE instance) {
    openBitmap = LoadButtonPicture(instance, "BTN_OPEN");
    checkBitmap = LoadButtonPicture(instance, "BTN_CHK");
    controlPanelBitmap = LoadButtonPicture(instance, "BTN_CTR");
    logoBitmap = static_cast<HBITMAP>(LoadImageA(instance, "LOGO_E", IMAGE_BITMAP, 392, 146, 0));
}

void GivePicture(HWND button, HBITMAP picture) {
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

void InsertTabs() {
    char captions[kPageCount][16] = {"トラック", "録音位置", "デバイス設定", "バージョン情報"};
    for (int page = 0; page < kPageCount; ++page) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = captions[page];
        SendMessageA(controls.tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&item));
    }
}

// Drawn without visual styles: the frames are the pages' plain face, which the labels and check
// boxes on them take as their background, and the button pictures' backgrounds are turned into
// that face colour when they load. A themed frame or button is the theme's own colour, and every
// label, check box and picture would sit on a patch of the old face.
void KeepClassicLook() {
    for (HWND control : {controls.pageFrame, controls.busyFrame, controls.openButton, controls.deviceCheckButton,
                         controls.controlPanelButton}) {
        if (control != nullptr) SetWindowTheme(control, L" ", L" ");
    }
}

void ShowSongTitle(const char* title) { SetWindowTextA(controls.songTitleLabel, title); }

template <typename Handle>
void DeleteGdi(Handle& object) {
    if (object != nullptr) DeleteObject(object);
    object = nullptr;
}

}  // namespace

std::vector<ControlRow> MainControlRows() {
    const std::span<const ControlRow> groups[] = {kFrameRows,    kTrackPageRows, kRecordingPageRows,
                                                  kBottomRows,   kDevicePageRows, kRunModeRows,
                                                  {&kLogoRow, 1}, {&kVersionTextRow, 1}};
    std::vector<ControlRow> all;
    for (std::span<const ControlRow> group : groups) {
        for (const ControlRow& row : group) all.push_back(row);
    }
    return all;
}

HFONT FontFor(FontRole role) {
    switch (role) {
        case kSmall: return smallFont;
        case kNormal: return normalFont;
        case kLabel: return labelFont;
        case kNone: break;
    }
    return nullptr;
}

void BuildMainWindow(HWND window, HINSTANCE instance) {
    mainSong.trackCount = 0;
    runSong.trackCount = 0;
    LoadPictures(instance);
    INITCOMMONCONTROLSEX common{};
    common.dwSize = sizeof common;
    common.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&common);

    CreateRows(kFrameRows, window, instance);
    markerBrush = CreateSolidBrush(RGB(255, 80, 0));
    CreateRows(kTrackPageRows, window, instance);
    CreateRows(kRecordingPageRows, window, instance);
    CreateRows(kBottomRows, window, instance);
    CreateRows(kDevicePageRows, window, instance);
    common.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&common);
    CreateRows(kRunModeRows, window, instance);
    SendMessageA(controls.jobProgressBar, PBM_SETRANGE32, 0, kJobProgressRange);
    CreateRow(kLogoRow, window, instance);
    SendMessageA(controls.logoImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logoBitmap));
    CreateRow(kVersionTextRow, window, instance);

    SendMessageA(controls.channelsCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("MONORAL"));
    SendMessageA(controls.channelsCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("STEREO"));
    GivePicture(controls.openButton, openBitmap);
    GivePicture(controls.deviceCheckButton, checkBitmap);
    GivePicture(controls.controlPanelButton, controlPanelBitmap);
    KeepClassicLook();
    FillDeviceLists();
    // The tab control's font came with its row, so its items are measured with it.
    InsertTabs();
    SelectInitialDeviceEntries();

    SetTitleLabelHook(ShowSongTitle);
}

void ReleaseMainWindowGdi() {
    DeleteGdi(markerBrush);
    DeleteGdi(openBitmap);
    DeleteGdi(checkBitmap);
    DeleteGdi(controlPanelBitmap);
    DeleteGdi(logoBitmap);
}

}  // namespace solvena::app
