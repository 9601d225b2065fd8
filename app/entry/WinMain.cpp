// The program's entry point: start up, run the message loop until the main window is gone.
#include <windows.h>

#include "app/CommandLineRun.h"
#include "app/ResumeRun.h"
#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!solvena::app::CreateTopLevelWindows(instance, showCommand)) return 0;
    // (temporary until the command line parser lands)
    if (__argc >= 3 && lstrcmpiA(__argv[1], "/run") == 0) {
        solvena::app::StartRequest request;
        request.kind = solvena::app::StartRequestKind::runList;
        request.path = __argv[2];
        request.overwrite = __argc >= 4 && lstrcmpiA(__argv[3], "/overwrite") == 0;
        solvena::app::RunJobListFromCommandLine(request);
    } else {
        solvena::app::OfferUnfinishedRun();
    }
    solvena::app::RunMessageLoop();
    return solvena::app::ProgramExitCode();
}
