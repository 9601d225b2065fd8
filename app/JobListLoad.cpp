// Command 12 (読込): job lists are loaded from the main window, or dropped on the job stack
// window, and appended to the stack.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

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
// Before a failure's text when several lists were given: which one, and what became of the rest.
constexpr char kWhichListFormat[] = "リストファイル「%s」:\n";
constexpr char kRestNotLoadedText[] = "\nこれより後のリストファイルは読み込みませんでした。";

// 録音 in the job stack window works while this command's boxes are up: once its questions or
// its run have begun, the table is theirs.
bool RunTookTheTable() {
    if (!LoadListLocked()) return false;
    engine::ShowMessageBox(mainWindow, kRunStartedText, kNoticeCaption, MB_OK);
    return true;
}

// Yes replaces the stack, No appends to it, Cancel leaves it alone. The lists given, or the one
// the open dialog gives, are read in turn; jobs read before a line that cannot be read are kept,
// the user is told where reading stopped, and no later list is read: the stack keeps its order.
void LoadJobLists(std::optional<std::vector<std::string>> paths) {
    if (LoadListLocked()) return;
    const int answer = engine::ShowMessageBox(mainWindow, kReplaceQuestion, kConfirmCaption, MB_YESNOCANCEL);
    if (answer == IDCANCEL || RunTookTheTable()) return;
    if (answer == IDYES) ClearJobs();
    if (!paths) {
        const std::optional<std::string> chosen = engine::ChooseJobListToLoad(mainWindow, startFolder.data());
        if (!chosen || RunTookTheTable()) return;
        paths.emplace(1, *chosen);
    }
    for (std::size_t i = 0; i < paths->size(); ++i) {
        const std::string& path = (*paths)[i];
        std::string message = JobListLoadMessage(ReadJobListFile(path.c_str()));
        if (message.empty()) continue;
        ShowJobStackWindow();
        if (paths->size() > 1) message = WithPath(kWhichListFormat, path) + message;
        if (i + 1 < paths->size()) message += kRestNotLoadedText;
        engine::ShowMessageBox(mainWindow, message.c_str(), kJobListErrorCaption, MB_OK);
        return;
    }
    ShowJobStackWindow();
    ShowJobList();
}

}  // namespace

void LoadJobList() { LoadJobLists(std::nullopt); }

void LoadJobListFiles(const std::vector<std::string>& paths) { LoadJobLists(paths); }

}  // namespace solvena::app
