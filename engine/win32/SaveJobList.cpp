#include "engine/win32/SaveJobList.h"

#include <commdlg.h>

#include <array>

#include "engine/win32/MainWindowLink.h"
#include "engine/win32/Prompts.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"

namespace solvena::engine {

namespace {

constexpr char kDevicesByNumberText[] = "デバイスは番号で保存されます。";
constexpr char kNoticeCaption[] = "notice";
// Pairs of name and pattern, the list ended by two zero bytes.
constexpr char kListFilter[] = "リストファイル(.list)\0*.list\0TXTファイル(.txt)\0*.txt\0";
constexpr std::size_t kListPathSize = 512;

}  // namespace

void SaveJobList(HWND window) {
    ShowMessageBox(window, kDevicesByNumberText, kNoticeCaption, MB_OK);
    std::array<char, kListPathSize> path{};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = kListFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = CurrentMainWindowLink().startFolder;
    dialog.lpstrDefExt = "list";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_LONGNAMES;
    if (!GetSaveFileNameA(&dialog)) return;
    if (!WriteJobListFile(path.data(), StackedJobs())) {
        ShowMessageBox(window, kJobListSaveFailedText, kJobListErrorCaption, MB_OK);
    }
}

}  // namespace solvena::engine
