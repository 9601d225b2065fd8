#include "app/CommandHandlers.h"

#include <windows.h>

#include "app/AppState.h"

namespace solvena::app {

// Shown even when the stack is empty; the activation message makes it take the focus as if the
// user had clicked it.
void ShowJobList() {
    ShowWindow(jobStackWindow, SW_SHOWNORMAL);
    SendMessageA(jobStackWindow, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(mainWindow));
}

// The main window's destruction stops a run, frees everything and ends the message loop.
void DestroyMainWindow() { DestroyWindow(mainWindow); }

}  // namespace solvena::app
