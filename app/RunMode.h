// The main window during a run: the pages give way to the progress text and the cancel button,
// until the program ends.
#pragma once

namespace solvena::app {

// Hides every page control, selects page 0 without a page-change notification, shows the busy
// frame, the progress text, the cancel button and the job's clock, progress and input level, and
// disables the tab control.
void EnterRunMode();

// True once 録音 has started a run (読込 is never enabled again), and while its questions are up:
// then neither 読込 nor スタック nor トラック別 adds jobs.
bool LoadListLocked();
// True once 録音 has started a run.
bool RunStarted();

// Both windows take dropped files exactly while 読込 may be used; otherwise the system shows a
// drop on them as refused.
void UpdateDropAcceptance();

// Installs the main window's part in the run (run mode, progress text, cancel text, the load
// button, the lists dropped on the job stack window) and the job stack window's font and start
// folder. Called once before the windows exist; 読込 starts unlocked.
void InstallMainWindowLink();

}  // namespace solvena::app
