#include "Input.h"

#include <commctrl.h>

#include "CommonControls.h"
#include "Query.h"

namespace uidriver {

namespace {
constexpr DWORD kActionTimeoutMs = 5000;
}

bool Click(HWND button) { return PostMessageA(button, BM_CLICK, 0, 0) != 0; }

bool ClickAndWait(HWND button) { return Ask(button, BM_CLICK, 0, 0, nullptr); }

bool ClickTab(HANDLE process, HWND tab, int item) {
    std::optional<RECT> rect = TabItemRect(process, tab, item);
    if (!rect) return false;
    LPARAM at = MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    if (!PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at) || !PostMessageA(tab, WM_LBUTTONUP, 0, at)) return false;
    return WaitUntil([&] { return TabSelection(tab) == item; }, kActionTimeoutMs) && Settle(tab);
}

bool DropDown(HWND combo) {
    return PostMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0) &&
           WaitUntil([&] { return ComboDropped(combo); }, kActionTimeoutMs) && Settle(combo);
}

bool CloseDropDown(HWND combo) {
    return PostMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0) &&
           WaitUntil([&] { return !ComboDropped(combo); }, kActionTimeoutMs) && Settle(combo);
}

bool DropDownAndClose(HWND combo) { return DropDown(combo) && CloseDropDown(combo); }

bool SelectComboEntry(HWND combo, int index) {
    LRESULT result = CB_ERR;
    return Ask(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &result) && result == index;
}

}  // namespace uidriver
