#include "app/ResumeRun.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/AppState.h"
#include "app/Settings.h"
#include "engine/RunTexts.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/RunJournalFile.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"
#include "jobs/RunJournal.h"

namespace solvena::app {

namespace {

constexpr char kResumeQuestionFormat[] =
    "前回の録音は %d 件中 %d 件目の途中で終わっています。残りのジョブを録音できるように、スタックを前回の状態に戻しますか？";
constexpr int kOffIcon = 1;

std::string ResumeQuestion(const RunBreak& at) {
    char text[sizeof kResumeQuestionFormat + 32];
    std::snprintf(text, sizeof text, kResumeQuestionFormat, static_cast<int>(at.total), static_cast<int>(at.current));
    return text;
}

// The stack as the run began, with what it finished switched off so that 録音 records the rest.
void RestoreStack(const RunJournal& journal) {
    ClearJobs();
    const JobListResult result = ReadJobList(journal.stack);
    for (std::int32_t position : journal.finished) {
        if (position < result.jobsAdded && SwitchJobOff(position)) engine::SetRowIcon(position, kOffIcon);
    }
    ShowJobStackWindow();
    const std::string message = JobListLoadMessage(result);
    if (!message.empty()) engine::ShowMessageBox(mainWindow, message.c_str(), kJobListErrorCaption, MB_OK);
}

}  // namespace

void OfferUnfinishedRun() {
    const std::string folder = startFolder.data();
    const std::optional<RunJournal> journal = engine::FindUnfinishedRun(folder);
    if (!journal) return;
    // A run that finished every job and broke off only before its report has nothing left.
    if (journal->finished.size() < journal->runPositions.size() &&
        engine::ShowMessageBox(mainWindow, ResumeQuestion(BreakOf(*journal)).c_str(), kConfirmCaption, MB_YESNO) ==
            IDYES) {
        RestoreStack(*journal);
    }
    engine::DiscardUnfinishedRun(folder);
}

}  // namespace solvena::app
