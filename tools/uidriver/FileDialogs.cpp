#include "FileDialogs.h"

#include "AnsiText.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Query.h"

namespace uidriver {

namespace {

// The file name box: an edit (edt1) or the edit inside a combo box (cmb13), by dialog style.
constexpr int kFileNameEditId = 0x480;
constexpr int kFileNameComboId = 0x47C;
// The look-in box (cmb2).
constexpr int kLookInId = 0x471;

// How long a dialog may take to become ready, and to go once pressed. A press it has not acted
// on by kPressAgainMs is made again.
constexpr DWORD kReadyTimeoutMs = 5000;
constexpr DWORD kGoneTimeoutMs = 10000;
constexpr DWORD kPressAgainMs = 1500;

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

bool Gone(HWND dialog) { return !IsWindow(dialog) || !IsWindowVisible(dialog); }

// The text of a message box the dialog has opened over itself.
std::optional<std::string> OwnBoxText(HWND dialog) {
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    std::optional<SeenMessageBox> box = WaitForMessageBox(processId, 0);
    if (!box || box->owner != dialog) return std::nullopt;
    return ToUtf8(box->text.bytes);
}

// Why the dialog cannot take input yet; empty once it can. It fills its look-in box, selects its
// folder there and creates its file list (SHELLDLL_DefView) when it browses to its first folder
// near the end of its initialisation; before that a typed name can land in the one of its two
// file name boxes it is about to destroy, and a press can be lost. The list may be empty (a new
// folder), so only its window counts. The look-in box's answer also shows that the dialog's
// thread takes messages, so it is not busy with an earlier press either.
std::string NotReady(HWND dialog) {
    if (!IsWindow(dialog)) return "it is gone";
    if (!IsWindowVisible(dialog)) return "it is not shown";
    if (!IsWindowEnabled(dialog)) {
        const std::optional<std::string> box = OwnBoxText(dialog);
        return box ? "it shows a box: " + *box : std::string("it is disabled");
    }
    HWND lookIn = GetDlgItem(dialog, kLookInId);
    if (!lookIn) return "it has no look-in box";
    const int folder = ComboSelection(lookIn);
    if (folder == -2) return "it does not answer";
    if (folder < 0) return "its look-in box shows no folder";
    HWND view = FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr);
    if (!view || !IsWindowVisible(view)) return "it has no file list";
    if (!FileNameBox(dialog)) return "it has no file name box";
    return {};
}

::testing::AssertionResult WaitUntilReady(HWND dialog, const std::string& name) {
    std::string why;
    if (WaitUntil(
            [&] {
                why = NotReady(dialog);
                return why.empty();
            },
            kReadyTimeoutMs)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << name << " was not ready after " << kReadyTimeoutMs / 1000
                                         << " s: " << why;
}

// Types `path` into the file name box unless it holds it already.
::testing::AssertionResult Type(HWND dialog, const std::string& path, const std::string& name) {
    HWND box = FileNameBox(dialog);
    if (!box) return ::testing::AssertionFailure() << name << " has no file name box";
    if (TextOf(box).bytes == path) return ::testing::AssertionSuccess();
    LRESULT set = 0;
    // WM_SETTEXT carries its text between processes.
    if (!Ask(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), &set) || !set) {
        return ::testing::AssertionFailure() << name << " did not take the file name " << ToUtf8(path);
    }
    return ::testing::AssertionSuccess();
}

// Waits until the dialog is ready, then presses the button (typing `path` first, when given)
// until the dialog goes. A press is made again only while the dialog is still ready: one it acts
// on keeps it busy, closes it or opens a box over it, so a second press cannot act twice.
::testing::AssertionResult PressUntilGone(HWND dialog, int buttonId, const std::string* path) {
    const std::string name = "the file dialog \"" + ToUtf8(TextOf(dialog).bytes) + "\"";
    if (auto ready = WaitUntilReady(dialog, name); !ready) return ready;
    HWND button = GetDlgItem(dialog, buttonId);
    const char* buttonName = buttonId == IDOK ? "OK" : "Cancel";
    if (!button) return ::testing::AssertionFailure() << name << " has no " << buttonName << " button";
    int presses = 0;
    ULONGLONG pressed = 0;
    const ULONGLONG end = GetTickCount64() + kGoneTimeoutMs;
    while (!Gone(dialog) && GetTickCount64() < end) {
        if (presses == 0 || (GetTickCount64() - pressed >= kPressAgainMs && NotReady(dialog).empty())) {
            if (path) {
                if (auto typed = Type(dialog, *path, name); !typed) return typed;
            }
            if (!Click(button)) return ::testing::AssertionFailure() << "could not press " << buttonName;
            ++presses;
            pressed = GetTickCount64();
        }
        Sleep(20);
    }
    if (Gone(dialog)) return ::testing::AssertionSuccess();
    const std::string why = NotReady(dialog);
    return ::testing::AssertionFailure() << name << " stayed " << kGoneTimeoutMs / 1000 << " s after " << presses
                                         << (presses == 1 ? " press" : " presses") << " of " << buttonName << ": "
                                         << (why.empty() ? "it still took input and showed its folder" : why);
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
    return found;
}

::testing::AssertionResult ChooseInFileDialog(HWND dialog, const std::string& path) {
    return PressUntilGone(dialog, IDOK, &path);
}

::testing::AssertionResult CancelFileDialog(HWND dialog) { return PressUntilGone(dialog, IDCANCEL, nullptr); }

}  // namespace uidriver
