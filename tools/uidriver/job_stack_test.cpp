// The job stack window shown from the main window's リスト button with nothing stacked, hidden by
// its close box, and the main window's close box ending the program while it is shown.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonControls.h"
#include "Input.h"
#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

const char kDevices[] = "midiout Synth A\nwavein Loop In A\n";

struct ExpectedColumn {
    const char* heading;
    int width;
};

const ExpectedColumn kColumns[] = {
    {"MIDI", 100},   {"Wav", 100},     {"sample/sec", 60}, {"bitrate", 40},  {"ch", 40},
    {"track", 80},   {"予想時間", 40}, {"サイズ", 40},     {"残響時間", 40}, {"レベル", 80},
};

struct ExpectedButton {
    const char* text;
    int x;
    int id;
};

const ExpectedButton kButtons[] = {{"保存", 276, 13}, {"on/off", 318, 11}, {"録音", 360, 14}};

class StackWindow : public Scenario {
protected:
    // The リスト button (command 13); true once the window is shown and the command has returned.
    bool ShowStack() {
        return Click(Control("showListButton")) &&
               WaitUntil([&] { return IsWindowVisible(JobStack()) != FALSE; }, 5000) && Settle(JobStack());
    }
};

TEST_F(StackWindow, ListButtonShowsTheEmptyStack) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));
    ASSERT_NE(JobStack(), nullptr);
    ASSERT_FALSE(IsWindowVisible(JobStack()));
    ASSERT_TRUE(ShowStack()) << "command 13 did not show the job stack window";
    EXPECT_TRUE(IsWindowVisible(Main())) << "showing the stack hid the main window";

    HWND list = ChildById(JobStack(), 1);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(SameClass(list, "SysListView32")) << ClassOf(list);
    RECT rect = RectInParent(list);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 265);
    EXPECT_EQ(StyleOf(list) & (LVS_TYPEMASK | WS_VISIBLE), static_cast<DWORD>(LVS_REPORT | WS_VISIBLE));
    EXPECT_NE(AskOr(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, 0) & LVS_EX_FULLROWSELECT, 0);

    std::vector<ListColumn> columns = ListColumns(Process(), list);
    ASSERT_EQ(columns.size(), std::size(kColumns));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE("column " + std::to_string(i));
        EXPECT_EQ(columns[i].heading, AnsiText(kColumns[i].heading));
        EXPECT_EQ(columns[i].width, kColumns[i].width);
        EXPECT_EQ(columns[i].format & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(ListRowCount(list), 0);

    for (const ExpectedButton& expected : kButtons) {
        HWND button = ChildById(JobStack(), expected.id);
        ASSERT_NE(button, nullptr) << expected.text;
        SCOPED_TRACE(Describe(button));
        EXPECT_TRUE(SameClass(button, "Button"));
        EXPECT_EQ(TextOf(button), AnsiText(expected.text));
        RECT place = RectInParent(button);
        EXPECT_EQ(place.left, expected.x);
        EXPECT_EQ(place.top, 268);
        EXPECT_EQ(place.right - place.left, 40);
        EXPECT_EQ(place.bottom - place.top, 16);
        EXPECT_TRUE(HasVisibleStyle(button));
        EXPECT_FALSE(HasDisabledStyle(button));
    }
    EXPECT_EQ(ChildrenOf(JobStack()).size(), 4u) << "the list and three buttons only";
    SavePicture(JobStack(), "job-stack");

    // The close box only hides it; the list shows it again, as it was.
    ASSERT_TRUE(PostMessageA(JobStack(), WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(JobStack()); }, 5000)) << "the close box did not hide it";
    Settle(Main());
    EXPECT_TRUE(IsWindow(JobStack())) << "the close box destroyed it";
    EXPECT_TRUE(Run().Running());
    ASSERT_TRUE(ShowStack()) << "command 13 did not show the window again";
    EXPECT_EQ(ListColumns(Process(), list).size(), std::size(kColumns));
    EXPECT_EQ(ListRowCount(list), 0);
}

TEST_F(StackWindow, ClosingTheMainWindowEndsTheProgramWhileTheStackIsShown) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));
    ASSERT_TRUE(ShowStack());
    DWORD exitCode = 0;
    ASSERT_TRUE(Run().CloseMainWindow(5000, &exitCode)) << "the program is still running";
    EXPECT_EQ(exitCode, 1u) << "the entry point returns 1 after its message loop";
}

}  // namespace
}  // namespace uidriver
