// The job stack window (class ListWindow): one list row per stacked job, on/off, save and
// record buttons. Closing it only hides it.
#pragma once

#include <windows.h>

#include <string>

namespace solvena::engine {

// The job stack window (created hidden at start-up; lives until the process ends).
extern HWND jobStackWindow;

LRESULT CALLBACK ListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct RunState;
// The one run of the program, which the window's messages drive.
RunState& JobStackRun();

// Connects the job table's row hooks (insert row via command 127, delete row, show window)
// to the window in jobStackWindow. Called once after the window exists.
void InstallJobRowHooks();

// Gives row i icon 0 (on), 1 (off), 2 (recording), 3 (recorded) or 4 (recorded, but silent or
// clipped); the row loses its selection.
void SetRowIcon(int row, int icon);
// The text of row i's level column.
void SetRowLevelText(int row, const std::string& text);

// The main window's destruction destroys the list's image list.
void DestroyJobListImageList();

}  // namespace solvena::engine
