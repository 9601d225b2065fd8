// Message boxes of the engine. Every box goes through one function that tests can replace, and a
// box that a device notification asks for waits until that notification's handler has returned:
// the box's own message loop would otherwise run the same handler again, in the middle of itself.
#pragma once

#include <windows.h>

#include <string>

namespace solvena::engine {

using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* caption, UINT type);

// nullptr brings back the system's message box.
void SetMessageBoxFunction(MessageBoxFunction function);
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Posted to the owner; its window procedure answers with ShowDeferredMessages.
constexpr UINT kShowDeferredMessages = WM_APP + 1;

// An OK box, shown after the current message has been handled, in the order deferred.
void DeferMessage(HWND owner, const std::string& text, const char* caption);
void ShowDeferredMessages();
// The program's end: every message still deferred is shown now, before the quit message would
// close its box at once. No owner, and the thread's windows take no input meanwhile.
void ShowDeferredMessagesBeforeExit();

// A box runs its own message loop, in which the program can be closed (the main window's
// キャンセル). Code that goes on after a box looks here first: once the program is closing it
// opens and starts nothing more.
bool ProgramClosing();
void SetProgramClosing(bool closing);

}  // namespace solvena::engine
