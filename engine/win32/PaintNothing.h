// Both top-level windows take their look from the class background and their child controls:
// a paint only validates the window.
#pragma once

#include <windows.h>

namespace solvena::engine {

inline LRESULT PaintNothing(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace solvena::engine
