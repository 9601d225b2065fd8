// Process-wide state of the Windows program that several windows share: the instance, the two
// top-level windows and the three fonts. User-interface thread only.
#pragma once

#include <windows.h>

namespace solvena::app {

extern HINSTANCE instance;
extern HWND mainWindow;
extern HWND jobStackWindow;
extern HFONT smallFont;
extern HFONT normalFont;
extern HFONT labelFont;

}  // namespace solvena::app
