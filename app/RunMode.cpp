#include "app/RunMode.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/AppState.h"
#include "app/FileDrops.h"
#include "app/MainControls.h"
#include "app/Pages.h"
#include "app/Settings.h"
#include "engine/win32/MainWindowLink.h"

namespace solvena::app {

namespace {

// No page has this number, so applying its membership hides every page's controls.
constexpr int kNoPage = -1;

HWND MainWindow() { return mainWindow; }

void SetProgressText(const char* text) { SetWindowTextA(controls.progressLabel, text); }

void SetCancelText(const char* text) { SetWindowTextA(controls.cancelButton, text); }

void SetJobProgress(const char* timeText, int permille) {
    SetWindowTextA(controls.jobTimeLabel, timeText);
    SendMessageA(controls.jobProgressBar, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
}

void SetJobLevel(const char* text) { SetWindowTextA(controls.jobLevelLabel, text); }

// Set for good once 録音 starts a run: a list loaded then would replace the table under the run.
bool loadListLocked = false;
// Set while 録音's questions walk the table: a list loaded then would not be asked about.
bool loadListHeld = false;

void DisableLoadList() {
    loadListLocked = true;
    EnableWindow(controls.loadListButton, FALSE);
    UpdateDropAcceptance();
}

void HoldLoadList(bool held) {
    loadListHeld = held;
    EnableWindow(controls.loadListButton, !LoadListLocked());
    UpdateDropAcceptance();
}

}  // namespace

bool LoadListLocked() { return loadListLocked || loadListHeld; }

bool RunStarted() { return loadListLocked; }

void EnterRunMode() {
    ApplyPageMembership(kNoPage);
    SendMessageA(controls.tabControl, TCM_SETCURSEL, 0, 0);
    ShowWindow(controls.busyFrame, SW_SHOW);
    ShowWindow(controls.progressLabel, SW_SHOW);
    ShowWindow(controls.cancelButton, SW_SHOW);
    ShowWindow(controls.jobProgressBar, SW_SHOW);
    ShowWindow(controls.jobTimeLabel, SW_SHOW);
    ShowWindow(controls.jobLevelLabel, SW_SHOW);
    EnableWindow(controls.tabControl, FALSE);
}

void UpdateDropAcceptance() {
    const BOOL accept = LoadListLocked() ? FALSE : TRUE;
    DragAcceptFiles(mainWindow, accept);
    DragAcceptFiles(jobStackWindow, accept);
}

void InstallMainWindowLink() {
    // A start-up (the Windows tests have several in one process) begins with no run.
    loadListLocked = false;
    loadListHeld = false;
    engine::MainWindowLink link;
    link.buttonFont = smallFont;
    link.startFolder = startFolder.data();
    link.mainWindow = MainWindow;
    link.enterRunMode = EnterRunMode;
    link.setProgressText = SetProgressText;
    link.setCancelText = SetCancelText;
    link.setJobProgress = SetJobProgress;
    link.setJobLevel = SetJobLevel;
    link.disableLoadList = DisableLoadList;
    link.holdLoadList = HoldLoadList;
    link.loadDroppedJobLists = LoadDroppedJobLists;
    engine::SetMainWindowLink(link);
}

}  // namespace solvena::app
