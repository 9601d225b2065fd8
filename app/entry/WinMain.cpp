// The program's entry point: start up, run the message loop until the main window is gone.
#include <windows.h>

#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!solvena::app::CreateTopLevelWindows(instance, showCommand)) return 0;
    solvena::app::RunMessageLoop();
    // The quit message's code is not passed on.
    return 1;
}
