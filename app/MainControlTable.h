// The main window's controls as a table of data, one row per control, and the creation
// handler's steps that build them.
#pragma once

#include <windows.h>

#include <vector>

namespace solvena::app {

enum class FontRole { kNone, kSmall, kNormal, kLabel };

// Page column values beyond the four pages (app/Pages.h): controls a page change never touches.
constexpr int kEveryPage = -1;  // tab control and page frame
constexpr int kBottomRow = -2;
constexpr int kRunMode = -3;

struct ControlRow {
    const char* className;
    const char* text;       // window text at creation; nullptr for none
    const char* givenText;  // set right after creation, or nullptr
    DWORD style;            // beyond WS_CHILD
    int x;
    int y;
    int width;
    int height;
    int id;
    FontRole font;
    int page;
    HWND* slot;  // where the control's handle is kept (app::controls)
};

// Every row, in creation order.
std::vector<ControlRow> MainControlRows();

// The font a row asks for, as created at start-up; nullptr for kNone.
HFONT FontFor(FontRole role);

// Creation steps 1 to 14 of the main window; the window procedure then returns 0.
void BuildMainWindow(HWND window, HINSTANCE instance);

// What the main window's end releases besides the fonts: markerBrush and the four bitmaps.
void ReleaseMainWindowGdi();

}  // namespace solvena::app
