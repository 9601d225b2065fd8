// Changing pages with the tab control: each page shows exactly its own controls, the frame, the
// tab control and the bottom row stay as they were, and nothing a page holds changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonControls.h"
#include "Input.h"
#include "MainWindowLayout.h"
#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

const char kDevices[] =
    "midiout Synth A\n"
    "midiout Synth B\n"
    "wavein Loop In A\n"
    "wavein Loop In B\n";

// What the pages hold: edit texts, toggle check states and list selections.
struct PageData {
    std::vector<AnsiText> texts;
    std::vector<LRESULT> checks;
    std::vector<int> selections;
    bool operator==(const PageData&) const = default;
};

void PrintTo(const PageData& data, std::ostream* out) {
    for (const AnsiText& text : data.texts) {
        PrintTo(text, out);
        *out << ' ';
    }
    *out << "checks";
    for (LRESULT check : data.checks) *out << ' ' << check;
    *out << " selections";
    for (int selection : data.selections) *out << ' ' << selection;
}

const char* const kEdits[] = {"startBarEdit", "endBarEdit", "reverbEdit", "wavNameEdit"};
const char* const kCombos[] = {"midiOutCombo", "waveInCombo", "sampleRateCombo", "bitsCombo", "channelsCombo"};

class Pages : public Scenario {
protected:
    PageData Read() {
        PageData data;
        for (const char* name : kEdits) data.texts.push_back(TextOf(Control(name)));
        for (int i = 0; i < 16; ++i) {
            data.checks.push_back(AskOr(Control("trackToggles " + std::to_string(i)), BM_GETCHECK, 0, 0, -1));
        }
        for (const char* name : kCombos) data.selections.push_back(ComboSelection(Control(name)));
        return data;
    }

    // Shown exactly when the control's page is `page`; the state and place of start-up otherwise.
    void ExpectPage(int page) {
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_EQ(TabSelection(Control("tabControl")), page);
        for (const ExpectedControl& expected : MainWindowControls()) {
            HWND control = Control(expected.name);
            if (!control) continue;
            bool shown = expected.page == page || expected.page == kEveryPage || expected.page == kBottomRow;
            EXPECT_EQ(HasVisibleStyle(control), shown) << expected.name;
            EXPECT_EQ(HasDisabledStyle(control), expected.disabled) << expected.name;
            RECT rect = RectInParent(control);
            EXPECT_TRUE(rect.left == expected.x && rect.top == expected.y) << expected.name << " moved";
        }
    }
};

TEST_F(Pages, EachTabShowsOnlyItsOwnControls) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));
    ExpectPage(0);
    SavePicture(Main(), kPageFileNames[0]);
    for (int page : {1, 2, 3, 0, 2, 0, 3, 1, 3, 2, 1, 0}) {
        ASSERT_TRUE(ShowPage(page));
        ExpectPage(page);
    }
    // One picture of each page, taken after the pages have been visited in every order.
    for (int page : {1, 2, 3}) {
        ASSERT_TRUE(ShowPage(page));
        SavePicture(Main(), kPageFileNames[page]);
    }
}

TEST_F(Pages, ChangingPagesKeepsWhatThePagesHold) {
    ASSERT_TRUE(Launch({std::nullopt, kDevices}));
    PageData startUp = Read();
    EXPECT_EQ(startUp.texts, (std::vector<AnsiText>{"0", "", "5", ""}));
    EXPECT_EQ(startUp.selections, (std::vector<int>{0, 0, 3, 1, 1}));

    // Values unlike the start-up ones, put in as the later pages will (bars, reverb, file name,
    // toggles) and as a person picks list entries.
    const char* const texts[] = {"12", "34", "7", "take1.wav"};
    for (std::size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(Ask(Control(kEdits[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts[i]), nullptr));
    }
    for (int i : {0, 9, 15}) {
        ASSERT_TRUE(Ask(Control("trackToggles " + std::to_string(i)), BM_SETCHECK, BST_CHECKED, 0, nullptr));
    }
    const int selections[] = {1, 1, 2, 0, 0};
    for (std::size_t i = 0; i < 5; ++i) ASSERT_TRUE(SelectComboEntry(Control(kCombos[i]), selections[i]));
    PageData changed = Read();
    ASSERT_NE(changed, startUp);

    for (int page : {2, 0, 3, 1, 2, 1, 0, 2}) {
        ASSERT_TRUE(ShowPage(page));
        EXPECT_EQ(Read(), changed) << "after showing page " << page;
    }
}

}  // namespace
}  // namespace uidriver
