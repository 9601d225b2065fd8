#include "FileDialogs.h"

#include "Input.h"
#include "Query.h"

namespace uidriver {

namespace {

// The file name box: an edit (edt1) or the edit inside a combo box (cmb13), by dialog style.
constexpr int kFileNameEditId = 0x480;
constexpr int kFileNameComboId = 0x47C;

HWND FileNameBox(HWND dialog) {
    if (HWND edit = ChildById(dialog, kFileNameEditId)) return edit;
    if (HWND combo = ChildById(dialog, kFileNameComboId)) {
        for (HWND child : ChildrenOf(combo)) {
            if (SameClass(child, "Edit")) return child;
        }
        return combo;
    }
    return nullptr;
}

bool PressAndWaitGone(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button || !Click(button)) return false;
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000);
}

}  // namespace

std::optional<HWND> WaitForFileDialog(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    const bool seen = WaitUntil(
        [&] {
            for (HWND dialog : TopLevelWindows(processId, "#32770", true)) {
                if (FileNameBox(dialog) != nullptr) found = dialog;
            }
            return found != nullptr;
        },
        timeoutMs);
    if (!seen) return std::nullopt;
    Settle(found);
    return found;
}

bool ChooseInFileDialog(HWND dialog, const std::string& path) {
    HWND box = FileNameBox(dialog);
    LRESULT set = 0;
    // WM_SETTEXT carries its text between processes.
    if (!box || !Ask(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), &set) || !set) return false;
    return PressAndWaitGone(dialog, IDOK);
}

bool CancelFileDialog(HWND dialog) { return PressAndWaitGone(dialog, IDCANCEL); }

}  // namespace uidriver
