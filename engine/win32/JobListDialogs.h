// The file dialogs of job lists: 保存 in the job stack window and 読込 in the main window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace solvena::engine {

// The save dialog ("リストファイル(.list)", then the text type; asks before overwriting).
std::optional<std::string> ChooseJobListToSave(HWND owner, const char* startFolder);
// The open dialog ("LIST file(.list)", then the text type; the file must exist).
std::optional<std::string> ChooseJobListToLoad(HWND owner, const char* startFolder);

}  // namespace solvena::engine
