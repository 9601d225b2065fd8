// The main window (class mainexe): its window procedure and the GDI objects it owns besides the
// fonts. Created once at start-up; destroying it ends the program.
#pragma once

#include <windows.h>

namespace solvena::app {

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Orange, for the track bars of selected tracks on the recording position page.
extern HBRUSH markerBrush;
// The pictures of openButton, deviceCheckButton, controlPanelButton and logoImage.
extern HBITMAP openBitmap;
extern HBITMAP checkBitmap;
extern HBITMAP controlPanelBitmap;
extern HBITMAP logoBitmap;

}  // namespace solvena::app
