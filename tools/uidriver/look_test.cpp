// What the application manifest changes on the screen. With visual styles the pages must look as
// without them: the page frame, the labels and check boxes on it and the button pictures share one
// face colour. Pictures of every page and of the job stack window are saved both ways. Under a
// locale whose code page is not 932 the program keeps its Japanese texts (the manifest names its
// code page).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "Input.h"
#include "MainWindowLayout.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

constexpr char kOneDevice[] = "midiout Synth A\nwavein Anything\n";
// A bare spot of the page frame on every page (client coordinates), below the lowest control.
constexpr POINT kBareFrame{13, 372};

COLORREF PixelAt(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string Hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// The program's texts are code page 932 bytes (so are the driver's literals); the screen shows them
// as UTF-16, whatever either process's code page.
std::wstring FromCp932(const std::string& bytes) {
    std::wstring wide(bytes.size() + 1, L'\0');
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                                static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

class Look : public RecordingRun {
protected:
    // Opens a song and loads a one-job list, then checks every page and the job stack window.
    void LookAtEveryPage(bool styles) {
        ASSERT_TRUE(Launch({std::nullopt, kStudio, false, !styles}));
        std::string song = Put("showcase.mid", solvena::test::ShowcaseSong(6));
        ASSERT_TRUE(LoadList(PutList("one.list", {Job(song, PathOf("one.wav"), 44100, 16, 2, 1)})));
        ASSERT_TRUE(OpenSong(song));
        for (int page : {0, 1, 2, 3}) {
            ASSERT_TRUE(ShowPage(page));
            SavePicture(Main(), kPageFileNames[page]);  // lets the page paint before its pixels are read
            ExpectOneFace(page);
        }
        ASSERT_TRUE(Click(Control("showListButton")) && WaitUntil([&] { return IsWindowVisible(JobStack()); }, 5000));
        SavePicture(JobStack(), "job-stack");
    }

    // Whether another control shown on `page` (the frame aside) covers `point`.
    bool Covered(HWND control, int page, POINT point) {
        for (const ExpectedControl& other : MainWindowControls()) {
            HWND window = Control(other.name);
            if (window == control || other.name == "pageFrame" || !(other.page == page || other.page == kEveryPage))
                continue;
            RECT r = RectInParent(window);
            if (PtInRect(&r, point)) return true;
        }
        return false;
    }

    // The frame is the classic face; each label and check box of the page paints its background in
    // that colour, and each button picture's background is its button's face.
    void ExpectOneFace(int page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(Hex(PixelAt(Main(), kBareFrame.x, kBareFrame.y)), Hex(face)) << "the page frame";
        for (const ExpectedControl& expected : MainWindowControls()) {
            HWND control = Control(expected.name);
            if (expected.page != page || control == nullptr || !IsWindowVisible(control)) continue;
            RECT r = RectInParent(control);
            DWORD style = StyleOf(control);
            bool label = SameClass(control, "Static") && (style & SS_TYPEMASK) != SS_BITMAP;
            bool checkBox = SameClass(control, "Button") && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            // The top row of its right end, left of any control that lies over it (a combo box
            // over a label): text starts at the left and never reaches the top row.
            if (label || checkBox) {
                int x = r.right - 1;
                while (x > r.left && Covered(control, page, POINT{x, r.top})) --x;
                EXPECT_EQ(Hex(PixelAt(Main(), x, r.top)), Hex(face)) << expected.name;
            } else if (style & BS_BITMAP) {
                // The picture (30 x 24, centred) has its background in its corners; the button's
                // face shows between its edge and the picture.
                EXPECT_EQ(Hex(PixelAt(Main(), r.left + 6, r.top + 4)), Hex(PixelAt(Main(), r.left + 3, r.top + 15)))
                    << expected.name << "'s picture";
            }
        }
    }
};

TEST_F(Look, WithVisualStyles) { LookAtEveryPage(true); }

TEST_F(Look, WithoutVisualStyles) { LookAtEveryPage(false); }

// Run by scripts/test under a non-Japanese locale: every text of the main window's table, both
// window titles and a message box read back as UTF-16 are the program's Japanese texts.
using OtherLocale = Look;

TEST_F(OtherLocale, TheProgramKeepsItsJapaneseTexts) {
    if (GetACP() == 932) GTEST_SKIP() << "for a non-Japanese locale (scripts/test runs it under en_US.UTF-8)";
    // Without its manifest the program gets this locale's code page and its title is garbled:
    // the locale really is foreign to it, so what follows is the manifest's doing.
    ASSERT_TRUE(Launch({std::nullopt, kOneDevice, false, true}));
    SavePicture(Main(), "without-manifest");
    EXPECT_NE(WideTextOf(Main()), L"ソルベーナ version 1.00(beta)");
    ASSERT_TRUE(Launch({std::nullopt, kOneDevice}));
    EXPECT_EQ(WideTextOf(Main()), L"ソルベーナ version 1.00(beta)");
    EXPECT_EQ(WideTextOf(JobStack()), L"スタック･データ");
    for (const ExpectedControl& expected : MainWindowControls()) {
        HWND control = Control(expected.name);
        if (control && expected.text && !expected.text->bytes.empty()) {
            EXPECT_EQ(WideTextOf(control), FromCp932(expected.text->bytes)) << expected.name;
        }
    }
    for (int page : {0, 1, 3, 2}) {  // ends on the device page for its check button
        ASSERT_TRUE(ShowPage(page));
        SavePicture(Main(), kPageFileNames[page]);
    }
    std::optional<SeenMessageBox> box = ClickForMessageBox(Control("deviceCheckButton"));
    ASSERT_TRUE(box);
    SavePicture(box->dialog, "device-check");
    EXPECT_EQ(WideTextOf(box->dialog), L"デバイスチェック");
    EXPECT_EQ(WideTextOf(GetDlgItem(box->dialog, 0xFFFF)), L"この設定で録音が可能です。");
    ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
    std::optional<SeenMessageBox> offer = WaitForMessageBox(Run().processId(), 5000);  // to measure the delay
    ASSERT_TRUE(offer && AnswerMessageBox(*offer, IDNO));
}

}  // namespace
}  // namespace uidriver
