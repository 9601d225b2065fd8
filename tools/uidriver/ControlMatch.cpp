#include "ControlMatch.h"

#include <cstddef>

#include "MainWindowLayout.h"
#include "Query.h"

namespace uidriver {

namespace {

bool SamePlace(HWND child, const ExpectedControl& expected) {
    RECT rect = RectInParent(child);
    return rect.left == expected.x && rect.top == expected.y;
}

bool SameText(HWND child, const ExpectedControl& expected) {
    return !expected.text || expected.text->bytes.empty() || TextOf(child) == *expected.text;
}

}  // namespace

ControlMatch MatchMainWindowControls(HWND mainWindow) {
    ControlMatch match;
    std::vector<HWND> children = ChildrenOf(mainWindow);
    std::vector<bool> used(children.size(), false);
    const std::vector<ExpectedControl>& table = MainWindowControls();
    std::vector<bool> placed(table.size(), false);

    auto pass = [&](auto&& fits) {
        for (std::size_t row = 0; row < table.size(); ++row) {
            if (placed[row]) continue;
            for (std::size_t i = 0; i < children.size(); ++i) {
                if (used[i] || !SameClass(children[i], table[row].className) || IdOf(children[i]) != table[row].id ||
                    !fits(children[i], table[row])) {
                    continue;
                }
                used[i] = true;
                placed[row] = true;
                match.found[table[row].name] = children[i];
                break;
            }
        }
    };
    pass(SamePlace);
    pass(SameText);

    for (std::size_t row = 0; row < table.size(); ++row) {
        if (!placed[row]) match.missing.push_back(table[row].name);
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (!used[i]) match.unexpected.push_back(children[i]);
    }
    return match;
}

std::string Describe(HWND control) {
    RECT rect = RectInParent(control);
    return ClassOf(control) + " '" + ToUtf8(TextOf(control).bytes) + "' at (" + std::to_string(rect.left) + ", " +
           std::to_string(rect.top) + ") size " + std::to_string(rect.right - rect.left) + " x " +
           std::to_string(rect.bottom - rect.top) + " id " + std::to_string(IdOf(control));
}

}  // namespace uidriver
