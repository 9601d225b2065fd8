// What the main window's controls must look like straight after start-up: the control table of
// the main window, as data, in creation order.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "AnsiText.h"

namespace uidriver {

// Pages 0 to 3 are the tab pages; the others are never switched by a page change.
enum PageOf : int {
    kEveryPage = -1,  // tabControl, pageFrame
    kBottomRow = -2,
    kRunMode = -3,
};

struct ExpectedControl {
    std::string name;
    const char* className;
    std::optional<AnsiText> text;  // not compared when empty (combo boxes show their selection)
    int x, y, width, height;       // a combo box's height is that of the box with its list dropped
    int id;
    DWORD styleMask, styleBits;    // (style & mask) must equal bits
    bool visible;
    bool disabled;
    int page;
};

const std::vector<ExpectedControl>& MainWindowControls();

// The tab items and page names, in order.
extern const char* const kPageNames[4];
extern const char* const kPageFileNames[4];  // ASCII names for the screenshot files

}  // namespace uidriver
