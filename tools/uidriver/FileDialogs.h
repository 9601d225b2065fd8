// The system's open and save dialogs of the program: found, given a path and confirmed as a
// person would type a file name and press the OK button.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace uidriver {

// Waits for an open or save dialog of the process (a dialog with a file name box).
std::optional<HWND> WaitForFileDialog(DWORD processId, DWORD timeoutMs);
// Once the dialog is ready for input (it shows its folder), types `path` into its file name box
// and presses OK, again when a press left it open and untouched; success once the dialog is gone.
// A failure says what the dialog was not ready with, or what it showed when it stayed.
::testing::AssertionResult ChooseInFileDialog(HWND dialog, const std::string& path);
// The same with Cancel, and no path.
::testing::AssertionResult CancelFileDialog(HWND dialog);

}  // namespace uidriver
