#include "app/CommandHandlers.h"

#include <windows.h>

#include "app/AppState.h"

namespace solvena::app {

// Pages back by eight tracks and rewrites the track page.
void ShowPreviousTrackPage() {}

// Pages on by eight tracks and rewrites the track page.
void ShowNextTrackPage() {}

// Chooses what the text beside each track toggle shows and rewrites the track page.
void SetDisplayMode(int) {}

// Copies the toggle's check state into the shown track's selection.
void StoreTrackSelection(int) {}

// Chooses a MIDI file, loads and scans it, and rebuilds the track and recording position pages.
void OpenSong() {}

// Chooses the WAV file name with the save dialog and shows it in wavNameEdit.
void ChooseWavName() {}

// Checks the page inputs and stacks a recording job.
void StackJob() {}

// Moves startMarker to the bar typed into startBarEdit.
void MoveStartMarker() {}

// Moves endMarker to the bar typed into endBarEdit.
void MoveEndMarker() {}

// Shown even when the stack is empty; the activation message makes it take the focus as if the
// user had clicked it.
void ShowJobList() {
    ShowWindow(jobStackWindow, SW_SHOWNORMAL);
    SendMessageA(jobStackWindow, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(mainWindow));
}

// The main window's destruction stops a run, frees everything and ends the message loop.
void DestroyMainWindow() { DestroyWindow(mainWindow); }

}  // namespace solvena::app
