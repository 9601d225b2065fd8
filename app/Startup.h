// The program's start-up, shared by the entry point and the Windows unit tests.
#pragma once

#include <windows.h>

namespace solvena::app {

// Start-up steps 1 to 7: instance, settings, fonts, the classes mainexe and ListWindow, the main
// window, the hidden job stack window, then the main window shown with `showCommand`. False when
// the main window could not be created.
bool CreateTopLevelWindows(HINSTANCE instance, int showCommand);

// Step 9: until the quit message (or a failing GetMessage).
void RunMessageLoop();

}  // namespace solvena::app
