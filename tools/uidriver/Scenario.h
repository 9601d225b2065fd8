// The base of every scenario: one fresh run of the program per test, its controls by name, page
// changes, message boxes and pictures. The program is ended when the test ends, pass or fail.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "AnsiText.h"
#include "ControlMatch.h"
#include "MessageBoxes.h"
#include "ProgramRun.h"

namespace uidriver {

class Scenario : public ::testing::Test {
protected:
    // Starts the program with these files beside it (under `exeName` when given).
    ::testing::AssertionResult Launch(const ProgramSetup& setup, const std::string& exeName = {});
    // Starts the same copy again, with the files the last one left (as after a crash).
    ::testing::AssertionResult Relaunch();

    // The full path of the folder Launch starts this test's copy of the program in.
    static std::string FolderOfThisRun();

    HWND Main() const { return run_.mainWindow(); }
    HWND JobStack() const { return run_.jobStackWindow(); }
    HANDLE Process() const { return run_.process(); }
    ProgramRun& Run() { return run_; }
    const ControlMatch& Controls() const { return match_; }
    // The control of the main window's table with this name; fails the test when there is none.
    HWND Control(const std::string& name);

    // Clicks the tab item of `page`.
    ::testing::AssertionResult ShowPage(int page);
    // Clicks `button` and waits for the message box its handler opens.
    std::optional<SeenMessageBox> ClickForMessageBox(HWND button);
    // Saves a picture of `window` as <suite>-<test>-<label>.bmp in the pictures folder.
    void SavePicture(HWND window, const std::string& label);

private:
    ProgramRun run_;
    ControlMatch match_;
};

// Lines joined with CR LF, each line ended, as a text editor saves them.
std::string CrLfLines(std::initializer_list<const char*> lines);

}  // namespace uidriver
