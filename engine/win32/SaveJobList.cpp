#include "engine/win32/SaveJobList.h"

#include "engine/RunTexts.h"
#include "engine/win32/JobListDialogs.h"
#include "engine/win32/MainWindowLink.h"
#include "engine/win32/Prompts.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"

namespace solvena::engine {

namespace {

constexpr char kDevicesByNumberText[] = "デバイスは番号で保存されます。";

}  // namespace

void SaveJobList(HWND window) {
    ShowMessageBox(window, kDevicesByNumberText, kNoticeCaption, MB_OK);
    const std::optional<std::string> path = ChooseJobListToSave(window, CurrentMainWindowLink().startFolder);
    if (!path) return;
    if (!WriteJobListFile(path->c_str(), StackedJobs())) {
        ShowMessageBox(window, kJobListSaveFailedText, kJobListErrorCaption, MB_OK);
    }
}

}  // namespace solvena::engine
