// Reading another process's windows without blocking on it: every message here is sent with a
// timeout and none of them can open a modal box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "AnsiText.h"

namespace uidriver {

// How long one sent message may take before the program counts as hung.
constexpr UINT kSendTimeoutMs = 3000;

// Sends with SendMessageTimeoutA; false when the window did not answer in time.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The answer, or `fallback` when there was none.
LRESULT AskOr(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback);
// One round trip through the program's message loop. Sent messages overtake posted ones, so this
// is no barrier for a posted message by itself; once a posted action's effect has been seen, it
// makes sure the handler that had that effect has returned.
bool Settle(HWND window);

AnsiText TextOf(HWND window);
// The text as the window holds it, in UTF-16: the same whatever either process's code page.
std::wstring WideTextOf(HWND window);
std::string ClassOf(HWND window);
bool SameClass(HWND window, const char* className);  // case-insensitive, as the system compares
int IdOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
// The window's own WS_VISIBLE / WS_DISABLED bits, whatever its parent's state.
bool HasVisibleStyle(HWND window);
bool HasDisabledStyle(HWND window);
// The window rectangle in the client coordinates of its parent (screen coordinates for a
// top-level window).
RECT RectInParent(HWND window);
SIZE SizeOf(HWND window);

// Direct children in z-order (for controls created once and never reordered: creation order).
std::vector<HWND> ChildrenOf(HWND parent);
// A direct child by id; the first in z-order when several share it.
HWND ChildById(HWND parent, int id);

// Combo boxes (CB_GETCOUNT, CB_GETLBTEXT, CB_GETCURSEL).
std::vector<AnsiText> ComboItems(HWND combo);
int ComboSelection(HWND combo);
bool ComboDropped(HWND combo);

// The visible top-level windows of `processId` of one class; the newest first as the system
// enumerates them.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, bool visibleOnly);

// Polls `condition` every 20 ms until it holds or `timeoutMs` passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

}  // namespace uidriver
