// Command 12 (読込): job lists are loaded from the main window and appended to the stack.
#include <windows.h>
#include <commdlg.h>

#include <array>
#include <string>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/Settings.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"
#include "jobs/RecordingJob.h"

namespace solvena::app {

namespace {

constexpr char kReplaceQuestion[] = "現在のリストを上書きしますか？";
constexpr char kListFilter[] = "LIST file(.list)\0*.list\0TEXT file(.txt)\0*.txt\0";
constexpr std::size_t kListPathSize = 512;

bool ChooseListFile(std::array<char, kListPathSize>& path) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = kListFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = startFolder.data();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_LONGNAMES;
    return GetOpenFileNameA(&dialog) != FALSE;
}

}  // namespace

// Yes replaces the stack, No appends to it, Cancel leaves it alone. Jobs read before a line that
// cannot be read are kept, and the user is told where reading stopped.
void LoadJobList() {
    const int answer = engine::ShowMessageBox(mainWindow, kReplaceQuestion, kConfirmCaption, MB_YESNOCANCEL);
    if (answer == IDCANCEL) return;
    if (answer == IDYES) ClearJobs();
    std::array<char, kListPathSize> path{};
    if (!ChooseListFile(path)) return;
    const JobListResult result = ReadJobListFile(path.data());
    ShowJobStackWindow();
    const std::string message = JobListLoadMessage(result);
    if (!message.empty()) {
        engine::ShowMessageBox(mainWindow, message.c_str(), kJobListErrorCaption, MB_OK);
    } else {
        ShowJobList();
    }
}

}  // namespace solvena::app
