// The program straight after start-up: both top-level windows, the tab items and every control of
// the main window with its class, text, place, size, id, style and state.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonControls.h"
#include "MainWindowLayout.h"
#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

constexpr DWORD kFrameBits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD |
                             WS_POPUP;

const char kDevices[] =
    "midiout Synth A\n"
    "wavein Loop In A\n";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n') {
            lines.emplace_back();
        } else if (c != '\r') {
            lines.back() += c;
        }
    }
    return lines;
}

using StartUp = Scenario;

TEST_F(StartUp, TopLevelWindows) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));

    EXPECT_EQ(TextOf(Main()), AnsiText("ソルベーナ version 1.00(beta)"));
    SIZE size = SizeOf(Main());
    EXPECT_EQ(size.cx, 506);
    EXPECT_EQ(size.cy, 448);
    EXPECT_EQ(StyleOf(Main()) & kFrameBits, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(ExStyleOf(Main()) & WS_EX_TOOLWINDOW, 0u);
    EXPECT_EQ(GetWindow(Main(), GW_OWNER), nullptr);

    ASSERT_NE(JobStack(), nullptr) << "no ListWindow window";
    EXPECT_FALSE(IsWindowVisible(JobStack())) << "the job stack window starts hidden";
    EXPECT_EQ(TextOf(JobStack()), AnsiText("スタック･データ"));
    size = SizeOf(JobStack());
    EXPECT_EQ(size.cx, 406);
    EXPECT_EQ(size.cy, 307);
    EXPECT_EQ(StyleOf(JobStack()) & kFrameBits, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_NE(ExStyleOf(JobStack()) & WS_EX_TOOLWINDOW, 0u);
    EXPECT_EQ(GetWindow(JobStack(), GW_OWNER), nullptr);

    HWND tab = Control("tabControl");
    ASSERT_NE(tab, nullptr);
    std::vector<AnsiText> expectedTabs(std::begin(kPageNames), std::end(kPageNames));
    EXPECT_EQ(TabItems(Process(), tab), expectedTabs);
    EXPECT_EQ(TabSelection(tab), 0);
}

TEST_F(StartUp, EveryControlAsLaidOut) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));

    for (const std::string& name : Controls().missing) ADD_FAILURE() << "missing control: " << name;
    for (HWND extra : Controls().unexpected) ADD_FAILURE() << "control not in the table: " << Describe(extra);

    for (const ExpectedControl& expected : MainWindowControls()) {
        auto it = Controls().found.find(expected.name);
        if (it == Controls().found.end()) continue;
        HWND control = it->second;
        SCOPED_TRACE(expected.name + ": " + Describe(control));
        if (expected.text) {
            EXPECT_EQ(TextOf(control), *expected.text);
        }
        RECT rect = RectInParent(control);
        EXPECT_EQ(rect.left, expected.x);
        EXPECT_EQ(rect.top, expected.y);
        EXPECT_EQ(rect.right - rect.left, expected.width);
        // A closed combo box is as high as its font; its height is checked below.
        if (!SameClass(control, "ComboBox")) {
            EXPECT_EQ(rect.bottom - rect.top, expected.height);
        }
        EXPECT_EQ(StyleOf(control) & expected.styleMask, expected.styleBits);
        EXPECT_EQ(HasVisibleStyle(control), expected.visible);
        EXPECT_EQ(HasDisabledStyle(control), expected.disabled);
    }

    // The height a combo box is made with is that of the box with its list dropped. Wine reports
    // a dropped rectangle 26 pixels short of it, the same for every box, so the check is that the
    // device lists drop 36 pixels further than the format lists (108 against 72).
    std::vector<LONG> dropped;
    for (const char* name : {"midiOutCombo", "waveInCombo", "sampleRateCombo", "bitsCombo", "channelsCombo"}) {
        RECT rect{};
        HWND combo = Control(name);
        ASSERT_TRUE(combo && Ask(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rect), nullptr));
        dropped.push_back(rect.bottom - rect.top);
        EXPECT_GT(dropped.back(), SizeOf(combo).cy) << name << " leaves no room for its list";
    }
    EXPECT_EQ(dropped[1], dropped[0]);
    EXPECT_EQ(dropped[0] - dropped[2], 108 - 72);
    EXPECT_EQ(dropped[3], dropped[2]);
    EXPECT_EQ(dropped[4], dropped[2]);

    HWND version = Control("versionText");
    ASSERT_NE(version, nullptr);
    std::vector<std::string> lines = SplitLines(TextOf(version).bytes);
    ASSERT_EQ(lines.size(), 3u) << ToUtf8(TextOf(version).bytes);
    EXPECT_EQ(lines[0], "");
    EXPECT_TRUE(AnsiText(lines[1]).StartsWith("公式ホームページ ")) << ToUtf8(lines[1]);
    EXPECT_GT(lines[1].size(), std::string("公式ホームページ ").size()) << "no address after the heading";
    EXPECT_FALSE(lines[2].empty()) << "no credit line";
}

}  // namespace
}  // namespace uidriver
