// Process-wide state of the Windows program that several windows share: the instance, the two
// top-level windows and the three fonts. User-interface thread only.
#pragma once

#include <windows.h>

#include "engine/win32/JobStackWindow.h"

namespace solvena::app {

// Created by start-up; the engine owns it.
using engine::jobStackWindow;

extern HINSTANCE instance;
extern HWND mainWindow;
extern HFONT smallFont;
extern HFONT normalFont;
extern HFONT labelFont;

}  // namespace solvena::app
