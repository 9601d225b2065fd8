// What the application manifest changes on the screen. With visual styles and without, the page
// frame, the labels and check boxes on it and the button pictures share the face colour; pictures
// of every page and of the job stack window are saved both ways. Under a locale whose code page is
// not 932 the program keeps its Japanese texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Input.h"
#include "MainWindowLayout.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

COLORREF PixelAt(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

class Look : public RecordingRun {
protected:
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

    void ExpectOneFace(int page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(PixelAt(Main(), 13, 372), face) << "a bare spot of the page frame";
        for (const ExpectedControl& expected : MainWindowControls()) {
            HWND control = Control(expected.name);
            if (expected.page != page || !IsWindowVisible(control)) continue;
            RECT r = RectInParent(control);
            DWORD style = StyleOf(control);
            if ((SameClass(control, "Static") && (style & SS_TYPEMASK) != SS_BITMAP) ||
                (SameClass(control, "Button") && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX)) {
                // The top left corner: above the text, and no control lies over it.
                EXPECT_EQ(PixelAt(Main(), r.left, r.top), face) << expected.name;
            } else if (style & BS_BITMAP) {
                // The centred 30 x 24 picture's corner is its background; the face shows beside it.
                EXPECT_EQ(PixelAt(Main(), r.left + 6, r.top + 4), PixelAt(Main(), r.left + 3, r.top + 15))
                    << expected.name;
            }
        }
    }
};

TEST_F(Look, WithVisualStyles) { LookAtEveryPage(true); }

TEST_F(Look, WithoutVisualStyles) { LookAtEveryPage(false); }

// scripts/test runs this under en_US.UTF-8: the texts read back as UTF-16 are the Japanese ones.
using OtherLocale = Look;

TEST_F(OtherLocale, TheProgramKeepsItsJapaneseTexts) {
    if (GetACP() == 932) GTEST_SKIP() << "for a non-Japanese locale";
    const std::wstring title = L"ソルベーナ version 1.00(beta)";
    // Without its manifest the program gets the locale's code page: the locale is really foreign.
    ASSERT_TRUE(Launch({std::nullopt, kStudio, false, true}));
    SavePicture(Main(), "without-manifest");
    EXPECT_NE(WideTextOf(Main()), title);

    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    EXPECT_EQ(WideTextOf(Main()), title);
    EXPECT_EQ(WideTextOf(JobStack()), L"スタック･データ");
    for (const ExpectedControl& expected : MainWindowControls()) {
        if (!expected.text || expected.text->bytes.empty()) continue;
        // The table's texts are code page 932 bytes, as the program's are.
        const std::string& bytes = expected.text->bytes;
        std::wstring wide(bytes.size(), L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), static_cast<int>(wide.size()))));
        EXPECT_EQ(WideTextOf(Control(expected.name)), wide) << expected.name;
    }
    for (int page : {0, 1, 3, 2}) {  // ends on the device page, for its check button
        ASSERT_TRUE(ShowPage(page));
        SavePicture(Main(), kPageFileNames[page]);
    }
    std::optional<SeenMessageBox> box = ClickForMessageBox(Control("deviceCheckButton"));
    ASSERT_TRUE(box);
    SavePicture(box->dialog, "device-check");
    EXPECT_EQ(WideTextOf(GetDlgItem(box->dialog, 0xFFFF)), L"この設定で録音が可能です。");
    ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
    std::optional<SeenMessageBox> offer = WaitForMessageBox(Run().processId(), 5000);  // to measure the delay
    ASSERT_TRUE(offer && AnswerMessageBox(*offer, IDNO));
}

}  // namespace
}  // namespace uidriver
