// The 保存 button of the job stack window: the whole stack into a job list file.
#pragma once

#include <windows.h>

namespace solvena::engine {

// Tells the user that devices are saved by number, asks for the file and writes it. A file that
// cannot be written is reported.
void SaveJobList(HWND window);

}  // namespace solvena::engine
