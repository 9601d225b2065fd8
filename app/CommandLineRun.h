// `solvena.exe /run LIST [/overwrite]`: the list is loaded as 読込 loads it and recorded as 録音
// records it, with nobody at the screen. No box is shown: what a box would say goes into a report
// beside the list (LIST with ".log" added), and the program ends with an exit code a script can
// read (see UnattendedExitCode). The windows show the run as usual, and キャンセル still stops it.
#pragma once

#include "app/model/CommandLine.h"

namespace solvena::app {

// Starts the run; the program closes by itself when it ends. Called once the windows exist.
void RunJobListFromCommandLine(const StartRequest& request);

// The main window is going: a command-line run still going is reported as it stands.
void EndCommandLineRun();

// What WinMain returns: a command-line run's exit code, else 1 as ever.
int ProgramExitCode();

}  // namespace solvena::app
