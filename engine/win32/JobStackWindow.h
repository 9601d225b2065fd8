// The job stack window (class ListWindow): one list row per stacked job, on/off, save and
// record buttons. Closing it only hides it.
#pragma once

#include <windows.h>

namespace solvena::engine {

// The job stack window (created hidden at start-up; lives until the process ends).
extern HWND jobStackWindow;

LRESULT CALLBACK ListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Connects the job table's row hooks (insert row via command 127, delete row, show window)
// to the window in jobStackWindow. Called once after the window exists.
void InstallJobRowHooks();

// Gives row i icon 0 (on), 1 (off), 2 (recording) or 3 (recorded); the row loses its selection.
void SetRowIcon(int row, int icon);

// The main window's destruction destroys the list's image list.
void DestroyJobListImageList();

}  // namespace solvena::engine
