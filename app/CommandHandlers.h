// The main window's commands, one named handler each; MainWndProc dispatches to them by id.
#pragma once

#include <string>
#include <vector>

namespace solvena::app {

// Track page (TrackPage.cpp).
void ShowPreviousTrackPage();          // 1
void ShowNextTrackPage();              // 2
void SetDisplayMode(int mode);         // 3 to 6: mode 0 to 3
void StoreTrackSelection(int row);     // 21 to 36: row 0 to 15
// Song, WAV name, stacking, job lists.
void OpenSong();                       // 7
// 開く without its dialog: a song from the command line or dropped on the main window. True once
// it is shown.
bool OpenSongFile(const std::string& path);
void ChooseWavName();                  // 10
void StackJob();                       // 11
void LoadJobList();                    // 12
// 読込 without its dialog, for lists dropped on the job stack window: one question, then each
// list in turn.
void LoadJobListFiles(const std::vector<std::string>& paths);
void StackStems();                     // 38
// Recording position page.
void MoveStartMarker();                // 19
void MoveEndMarker();                  // 20
// The job stack window and the end of the program.
void ShowJobList();                    // 13
void DestroyMainWindow();              // 37

}  // namespace solvena::app
