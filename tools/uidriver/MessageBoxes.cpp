#include "MessageBoxes.h"

#include "Input.h"
#include "Query.h"

namespace uidriver {

namespace {

// The system gives a message box's text this id.
constexpr int kMessageTextId = 0xFFFF;

SeenMessageBox Read(HWND dialog) {
    SeenMessageBox box;
    box.dialog = dialog;
    box.owner = GetWindow(dialog, GW_OWNER);
    box.caption = TextOf(dialog);
    for (HWND child : ChildrenOf(dialog)) {
        if (SameClass(child, "Static") && IdOf(child) == kMessageTextId) box.text = TextOf(child);
        if (SameClass(child, "Button") && HasVisibleStyle(child)) box.buttons.push_back(IdOf(child));
    }
    return box;
}

// Dialogs with the system's message text: the file dialogs share the class but not this.
std::vector<HWND> OpenMessageBoxes(DWORD processId) {
    std::vector<HWND> boxes;
    for (HWND dialog : TopLevelWindows(processId, "#32770", true)) {
        if (ChildById(dialog, kMessageTextId) != nullptr) boxes.push_back(dialog);
    }
    return boxes;
}

}  // namespace

std::optional<SeenMessageBox> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND dialog = nullptr;
    if (!WaitUntil(
            [&] {
                std::vector<HWND> boxes = OpenMessageBoxes(processId);
                dialog = boxes.empty() ? nullptr : boxes.front();
                return dialog != nullptr;
            },
            timeoutMs)) {
        return std::nullopt;
    }
    // The box is shown once its dialog procedure has set the texts.
    Settle(dialog);
    return Read(dialog);
}

bool AnswerMessageBox(const SeenMessageBox& box, int buttonId) {
    HWND button = GetDlgItem(box.dialog, buttonId);
    if (!button || !Click(button)) return false;
    return WaitUntil([&] { return !IsWindow(box.dialog) || !IsWindowVisible(box.dialog); }, 5000);
}

}  // namespace uidriver
