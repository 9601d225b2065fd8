// The system's open and save dialogs of the program: found, given a path and confirmed as a
// person would type a file name and press the OK button.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace uidriver {

// Waits for an open or save dialog of the process (a dialog with a file name box).
std::optional<HWND> WaitForFileDialog(DWORD processId, DWORD timeoutMs);
// Types `path` into its file name box and presses OK; true once the dialog is gone.
bool ChooseInFileDialog(HWND dialog, const std::string& path);
// Presses Cancel; true once the dialog is gone.
bool CancelFileDialog(HWND dialog);

}  // namespace uidriver
