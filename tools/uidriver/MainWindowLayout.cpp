#include "MainWindowLayout.h"

#include <commctrl.h>

namespace uidriver {

const char* const kPageNames[4] = {"トラック", "録音位置", "デバイス設定", "バージョン情報"};
const char* const kPageFileNames[4] = {"page0-tracks", "page1-position", "page2-devices", "page3-version"};

namespace {

constexpr DWORD kButtonKind = BS_TYPEMASK | BS_BITMAP;
constexpr DWORD kComboKind = CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | CBS_SORT;
constexpr DWORD kComboBits = CBS_DROPDOWNLIST | CBS_AUTOHSCROLL;

std::string Numbered(const char* name, int i) { return std::string(name) + " " + std::to_string(i); }

ExpectedControl PushButton(std::string name, const char* text, int x, int y, int w, int h, int id, bool visible,
                           bool disabled, int page) {
    return {std::move(name), "Button", AnsiText(text), x, y, w, h, id, kButtonKind, BS_PUSHBUTTON, visible, disabled,
            page};
}

ExpectedControl BitmapButton(std::string name, int x, int y, int id, bool visible, int page) {
    return {std::move(name), "Button", AnsiText(""), x, y, 40, 30, id, kButtonKind, BS_PUSHBUTTON | BS_BITMAP,
            visible, false, page};
}

ExpectedControl Label(std::string name, const char* text, int x, int y, int w, int h, bool visible, bool disabled,
                      int page) {
    return {std::move(name), "Static", AnsiText(text), x, y, w, h, 240, SS_TYPEMASK, SS_LEFT, visible, disabled,
            page};
}

ExpectedControl Edit(std::string name, const char* text, int x, int y, int w, int h, int id, bool visible, int page) {
    return {std::move(name), "Edit", AnsiText(text), x, y, w, h, id, 0, 0, visible, true, page};
}

ExpectedControl Combo(std::string name, int x, int y, int w, int h, int id) {
    return {std::move(name), "ComboBox", std::nullopt, x, y, w, h, id, kComboKind, kComboBits, false, false, 2};
}

std::vector<ExpectedControl> Build() {
    std::vector<ExpectedControl> c;
    c.push_back({"tabControl", "SysTabControl32", AnsiText(""), 3, 2, 494, 28, 240, 0, 0, true, false, kEveryPage});
    c.push_back(PushButton("pageFrame", "", 3, 32, 494, 350, 240, true, true, kEveryPage));
    for (int i = 0; i < 16; ++i) {
        int x = i < 8 ? 30 : 250;
        int y = 82 + 35 * (i % 8);
        c.push_back({Numbered("trackToggles", i), "Button", AnsiText("未定義のトラック"), x, y, 125, 16, 21 + i,
                     kButtonKind, BS_AUTOCHECKBOX, true, true, 0});
        c.push_back(Label(Numbered("trackInfoLabels", i), "--", x + 130, y, 80, 16, true, true, 0));
    }
    c.push_back(PushButton("prevPageButton", "<-", 240, 40, 30, 24, 1, true, true, 0));
    c.push_back(PushButton("nextPageButton", "->", 270, 40, 30, 24, 2, true, true, 0));
    const char* modes[4] = {"ch", "inst", "part", "size"};
    for (int k = 0; k < 4; ++k) {
        c.push_back(PushButton(Numbered("modeButtons", k), modes[k], 310 + 30 * k, 40, 30, 24, 3 + k, true, true, 0));
    }
    c.push_back(BitmapButton("openButton", 20, 37, 7, true, 0));
    c.push_back(Label("songFileLabel", "MIDIファイルを開いて下さい", 75, 37, 175, 16, true, false, 0));
    c.push_back(Label("songTitleLabel", "", 80, 55, 140, 16, true, true, 0));

    c.push_back(Label("startBarLabel", "録音開始小節", 50, 280, 140, 12, false, true, 1));
    c.push_back(Edit("startBarEdit", "0", 90, 296, 50, 18, 19, false, 1));
    c.push_back(Label("endBarLabel", "録音終了小節", 300, 280, 140, 16, false, true, 1));
    c.push_back(Edit("endBarEdit", "", 340, 296, 50, 18, 20, false, 1));
    c.push_back(Edit("reverbEdit", "5", 340, 340, 30, 18, 240, false, 1));
    c.push_back(Label("reverbLabel", "残響時間", 300, 324, 140, 16, false, true, 1));

    c.push_back(PushButton("wavNameButton", "bz", 336, 390, 25, 20, 10, true, true, kBottomRow));
    c.push_back(PushButton("loadListButton", "読込", 363, 390, 40, 20, 12, true, false, kBottomRow));
    c.push_back(PushButton("stackButton", "スタック", 405, 390, 60, 20, 11, true, true, kBottomRow));
    c.push_back(PushButton("showListButton", "リスト", 467, 390, 30, 20, 13, true, false, kBottomRow));
    c.push_back(Edit("wavNameEdit", "", 208, 390, 125, 19, 240, true, kBottomRow));
    c.push_back(PushButton("stemsButton", "トラック別", 140, 390, 65, 20, 38, true, true, kBottomRow));

    c.push_back(Label("deviceHeading", "オーディオ･デバイス", 40, 50, 125, 18, false, false, 2));
    c.push_back(Label("outputHeading", "出力ファイルの設定", 40, 170, 125, 18, false, false, 2));
    c.push_back(Label("midiOutLabel", "MIDI OUT", 85, 80, 100, 18, false, false, 2));
    c.push_back(Label("waveInLabel", "WAVE IN", 85, 120, 100, 18, false, false, 2));
    c.push_back(Combo("midiOutCombo", 170, 77, 175, 108, 17));
    c.push_back(Combo("waveInCombo", 170, 117, 175, 108, 18));
    c.push_back(Label("sampleRateLabel", "サンプルレート", 75, 210, 100, 18, false, false, 2));
    c.push_back(Label("bitsLabel", "ビットレート", 75, 250, 100, 18, false, false, 2));
    c.push_back(Label("channelsLabel", "ステレオ", 75, 290, 100, 18, false, false, 2));
    c.push_back(Combo("sampleRateCombo", 170, 210, 100, 72, 240));
    c.push_back(Combo("bitsCombo", 170, 250, 100, 72, 240));
    c.push_back(Combo("channelsCombo", 170, 290, 100, 72, 240));
    c.push_back(BitmapButton("deviceCheckButton", 310, 205, 8, false, 2));
    c.push_back(BitmapButton("controlPanelButton", 350, 205, 9, false, 2));

    c.push_back(PushButton("busyFrame", "", 3, 32, 494, 350, 240, false, true, kRunMode));
    c.push_back(Label("progressLabel", "", 215, 150, 140, 20, false, false, kRunMode));
    c.push_back(PushButton("cancelButton", "キャンセル", 220, 200, 60, 20, 37, false, false, kRunMode));
    c.push_back({"jobProgressBar", "msctls_progress32", std::nullopt, 215, 128, 140, 14, 240, PBS_SMOOTH, PBS_SMOOTH,
                 false, false, kRunMode});
    c.push_back(Label("jobTimeLabel", "", 215, 174, 140, 18, false, false, kRunMode));
    c.push_back(Label("jobLevelLabel", "", 215, 226, 140, 18, false, false, kRunMode));
    // An SS_BITMAP static takes the size of the picture it is given: "LOGO_E" loaded at 392 x 146.
    c.push_back({"logoImage", "Static", AnsiText(""), 54, 100, 392, 146, 240, SS_TYPEMASK, SS_BITMAP, false, false, 3});
    c.push_back({"versionText", "Static", std::nullopt, 54, 260, 392, 100, 240, SS_TYPEMASK, SS_CENTER, false, false,
                 3});
    return c;
}

}  // namespace

const std::vector<ExpectedControl>& MainWindowControls() {
    static const std::vector<ExpectedControl> controls = Build();
    return controls;
}

}  // namespace uidriver
