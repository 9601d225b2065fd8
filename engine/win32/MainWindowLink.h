// What the job stack window and the run need from the main window. The program installs it at
// start-up, before the windows are created; the engine never includes the main window's headers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace solvena::engine {

struct MainWindowLink {
    HFONT buttonFont = nullptr;         // the job stack window's three buttons
    const char* startFolder = nullptr;  // where the save dialog opens
    // The window whose taskbar button shows a run's progress.
    HWND (*mainWindow)() = nullptr;
    // Run mode: the pages give way to the progress text and the cancel button.
    void (*enterRunMode)() = nullptr;
    void (*setProgressText)(const char* text) = nullptr;
    void (*setCancelText)(const char* text) = nullptr;
    // The job being recorded: "m:ss / m:ss" and how far it is (0 to 1000).
    void (*setJobProgress)(const char* timeText, int permille) = nullptr;
    // Its input's peak so far.
    void (*setJobLevel)(const char* text) = nullptr;
    // A run has begun: no job list may be loaded any more.
    void (*disableLoadList)() = nullptr;
    // 録音's questions are up: no job list may be loaded until they are answered (false again
    // when they cancel the run).
    void (*holdLoadList)(bool held) = nullptr;
    // The run has finished: its report has been shown.
    void (*runFinished)() = nullptr;
    // Files dropped on the job stack window: loaded as 読込 loads a job list, with its questions.
    void (*loadDroppedJobLists)(const std::vector<std::string>& paths) = nullptr;
};

// A missing hook is simply not called.
void SetMainWindowLink(const MainWindowLink& link);
const MainWindowLink& CurrentMainWindowLink();

}  // namespace solvena::engine
