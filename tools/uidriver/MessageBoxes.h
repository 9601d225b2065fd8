// Message boxes of the program: found as its visible "#32770" dialogs, read, and answered by
// pressing one of their buttons.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "AnsiText.h"

namespace uidriver {

struct SeenMessageBox {
    HWND dialog = nullptr;
    HWND owner = nullptr;
    AnsiText caption;
    AnsiText text;
    std::vector<int> buttons;  // ids of the visible push buttons (IDOK, IDYES, ...)
};

// Waits for a message box of the process; nothing when none appeared in time.
std::optional<SeenMessageBox> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Presses the button with `buttonId` and waits for the box to close.
bool AnswerMessageBox(const SeenMessageBox& box, int buttonId);

}  // namespace uidriver
