// Command 12 (読込): job lists are loaded from the main window and appended to the stack.
#include <windows.h>

#include <string>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/RunMode.h"
#include "app/Settings.h"
#include "engine/RunTexts.h"
#include "engine/win32/JobListDialogs.h"
#include "engine/win32/Prompts.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"
#include "jobs/RecordingJob.h"

namespace solvena::app {

namespace {

constexpr char kReplaceQuestion[] = "現在のリストを上書きしますか？";
constexpr char kRunStartedText[] = "録音が始まったため、リストは読み込みませんでした。";

// 録音 in the job stack window works while this command's boxes are up: once its questions or
// its run have begun, the table is theirs.
bool RunTookTheTable() {
    if (!LoadListLocked()) return false;
    engine::ShowMessageBox(mainWindow, kRunStartedText, kNoticeCaption, MB_OK);
    return true;
}

}  // namespace

// Yes replaces the stack, No appends to it, Cancel leaves it alone. Jobs read before a line that
// cannot be read are kept, and the user is told where reading stopped.
void LoadJobList() {
    if (LoadListLocked()) return;
    const int answer = engine::ShowMessageBox(mainWindow, kReplaceQuestion, kConfirmCaption, MB_YESNOCANCEL);
    if (answer == IDCANCEL || RunTookTheTable()) return;
    if (answer == IDYES) ClearJobs();
    const std::optional<std::string> path = engine::ChooseJobListToLoad(mainWindow, startFolder.data());
    if (!path || RunTookTheTable()) return;
    const JobListResult result = ReadJobListFile(path->c_str());
    ShowJobStackWindow();
    const std::string message = JobListLoadMessage(result);
    if (!message.empty()) {
        engine::ShowMessageBox(mainWindow, message.c_str(), kJobListErrorCaption, MB_OK);
    } else {
        ShowJobList();
    }
}

}  // namespace solvena::app
