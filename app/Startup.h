// The program's start-up, shared by the entry point and the Windows unit tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/model/CommandLine.h"

namespace solvena::app {

// The instance, the settings, the fonts, the window classes mainexe and ListWindow, the main
// window, the hidden job stack window, then the main window shown with `showCommand`; both windows
// take files dropped on them. False when the main window could not be created.
bool CreateTopLevelWindows(HINSTANCE instance, int showCommand);

// The arguments after the program's name in `commandLine` (the system's wide text), split as the
// shell quotes them and only then turned into the ANSI code page, so a double-byte character
// whose second byte is a backslash stays whole.
std::vector<std::string> ArgumentsOf(const wchar_t* commandLine);

// What the command line asks for, done once the windows are shown: a song opens as 開く opens
// one, a refusal is told in a box, and /run goes to the command line's run.
void ActOnStartRequest(const StartRequest& request);

// Until the quit message (or a failing GetMessage).
void RunMessageLoop();

}  // namespace solvena::app
