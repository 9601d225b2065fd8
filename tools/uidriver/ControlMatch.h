// Pairs the main window's children with the rows of its control table, so scenarios can name
// controls as the program does and a misplaced control is still found (and reported).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace uidriver {

struct ControlMatch {
    std::map<std::string, HWND> found;
    std::vector<std::string> missing;  // table rows without a child
    std::vector<HWND> unexpected;      // children without a table row
};

// First by class, position and id; what is left by class, id and text (where the table has one),
// in z-order.
ControlMatch MatchMainWindowControls(HWND mainWindow);

// "Button 'text' at (x, y) id N" for failure messages.
std::string Describe(HWND control);

}  // namespace uidriver
