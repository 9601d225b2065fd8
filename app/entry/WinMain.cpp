// The program's entry point: start up, do what the command line asks, run the message loop until
// the main window is gone.
#include <windows.h>

#include "app/CommandLineRun.h"
#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace solvena;
    if (!app::CreateTopLevelWindows(instance, showCommand)) return 0;
    // The system's wide command line, not lpCmdLine: split first, then turned into the code page.
    app::ActOnStartRequest(ParseCommandLine(app::ArgumentsOf(GetCommandLineW())));
    app::RunMessageLoop();
    return app::ProgramExitCode();
}
