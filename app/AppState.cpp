#include "app/AppState.h"

namespace solvena::app {

HINSTANCE instance = nullptr;
HWND mainWindow = nullptr;
HFONT smallFont = nullptr;
HFONT normalFont = nullptr;
HFONT labelFont = nullptr;

}  // namespace solvena::app
