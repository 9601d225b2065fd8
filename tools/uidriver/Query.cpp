#include "Query.h"

#include <algorithm>

namespace uidriver {

namespace {

// UTF-16 to code page 932.
AnsiText FromUtf16(const std::wstring& wide) {
    if (wide.empty()) return AnsiText("");
    int n = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, nullptr);
    }
    return AnsiText(bytes);
}

}  // namespace

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                             &answer)) {
        return false;
    }
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

LRESULT AskOr(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback) {
    LRESULT result = 0;
    return Ask(window, message, wParam, lParam, &result) ? result : fallback;
}

bool Settle(HWND window) { return Ask(window, WM_NULL, 0, 0, nullptr); }

AnsiText TextOf(HWND window) {
    LRESULT length = AskOr(window, WM_GETTEXTLENGTH, 0, 0, -1);
    if (length < 0) return AnsiText("<no answer>");
    // The text may change between the two messages (a run's progress label), and the length may be
    // an overestimate for multibyte texts: a copy that fills the buffer may be cut, so it is read
    // again into a larger one.
    const std::size_t first = std::max<std::size_t>(static_cast<std::size_t>(length) + 2, 256);
    for (std::size_t room = first; room <= 65536; room *= 4) {
        std::string buffer(room, '\0');
        const LRESULT copied = AskOr(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), -1);
        if (copied < 0) return AnsiText("<no answer>");
        if (static_cast<std::size_t>(copied) + 1 >= buffer.size()) continue;
        buffer.resize(static_cast<std::size_t>(copied));
        return AnsiText(buffer);
    }
    return AnsiText("<no answer>");
}

std::wstring WideTextOf(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kSendTimeoutMs, &copied) ||
        copied >= std::size(buffer)) {
        return L"<no answer>";
    }
    return std::wstring(buffer, copied);
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool SameClass(HWND window, const char* className) { return lstrcmpiA(ClassOf(window).c_str(), className) == 0; }

int IdOf(HWND window) { return GetDlgCtrlID(window); }

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)); }

bool HasVisibleStyle(HWND window) { return (StyleOf(window) & WS_VISIBLE) != 0; }

bool HasDisabledStyle(HWND window) { return (StyleOf(window) & WS_DISABLED) != 0; }

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    HWND parent = (StyleOf(window) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE SizeOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND ChildById(HWND parent, int id) {
    for (HWND child : ChildrenOf(parent)) {
        if (IdOf(child) == id) return child;
    }
    return nullptr;
}

std::vector<AnsiText> ComboItems(HWND combo) {
    // Wine 8 answers an ANSI CB_GETLBTEXT from another process with UTF-16 text (and more bytes
    // than the ANSI length), so the items are read as UTF-16 and turned back into code page 932,
    // which is what the list gives the program itself.
    std::vector<AnsiText> items;
    LRESULT count = AskOr(combo, CB_GETCOUNT, 0, 0, CB_ERR);
    for (LRESULT i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 kSendTimeoutMs, &length) ||
            static_cast<LRESULT>(length) < 0) {
            items.emplace_back("<no text>");
            continue;
        }
        std::wstring wide(static_cast<std::size_t>(length) + 2, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()),
                                 SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &copied) ||
            static_cast<LRESULT>(copied) < 0 || copied >= wide.size()) {
            items.emplace_back("<no text>");
            continue;
        }
        wide.resize(copied);
        items.push_back(FromUtf16(wide));
    }
    return items;
}

int ComboSelection(HWND combo) { return static_cast<int>(AskOr(combo, CB_GETCURSEL, 0, 0, -2)); }

bool ComboDropped(HWND combo) { return AskOr(combo, CB_GETDROPPEDSTATE, 0, 0, 0) != 0; }

namespace {

struct TopLevelSearch {
    DWORD processId;
    const char* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && SameClass(window, search->className) &&
        (!search->visibleOnly || IsWindowVisible(window))) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, bool visibleOnly) {
    TopLevelSearch search{processId, className, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

}  // namespace uidriver
