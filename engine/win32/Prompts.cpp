#include "engine/win32/Prompts.h"

#include <deque>

namespace solvena::engine {

namespace {

struct DeferredMessage {
    HWND owner;
    std::string text;
    const char* caption;
};

int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}

MessageBoxFunction messageBox = SystemMessageBox;
std::deque<DeferredMessage> deferred;
bool showingDeferred = false;
bool closing = false;

}  // namespace

void SetMessageBoxFunction(MessageBoxFunction function) {
    messageBox = function != nullptr ? function : SystemMessageBox;
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return messageBox(owner, text, caption, type);
}

void DeferMessage(HWND owner, const std::string& text, const char* caption) {
    deferred.push_back({owner, text, caption});
    PostMessageA(owner, kShowDeferredMessages, 0, 0);
}

void ShowDeferredMessages() {
    // A box already up shows the rest one after another when it closes.
    if (showingDeferred) return;
    showingDeferred = true;
    while (!deferred.empty()) {
        const DeferredMessage next = deferred.front();
        deferred.pop_front();
        ShowMessageBox(next.owner, next.text.c_str(), next.caption, MB_OK);
    }
    showingDeferred = false;
}

void ShowDeferredMessagesBeforeExit() {
    // Also inside a deferred box still up: the quit message is about to close that one.
    while (!deferred.empty()) {
        const DeferredMessage next = deferred.front();
        deferred.pop_front();
        ShowMessageBox(nullptr, next.text.c_str(), next.caption, MB_OK | MB_TASKMODAL);
    }
}

bool ProgramClosing() { return closing; }

void SetProgramClosing(bool programClosing) { closing = programClosing; }

}  // namespace solvena::engine
