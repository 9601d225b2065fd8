// Files dropped on a window (WM_DROPFILES).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace solvena::engine {

// The dropped files' full paths in the ANSI code page, in the drop's order; the drop is released.
std::vector<std::string> TakeDroppedFiles(HDROP drop);

}  // namespace solvena::engine
