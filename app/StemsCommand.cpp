// Command 38 (トラック別): the pages' inputs become one job per ticked track with notes.
#include <windows.h>

#include "app/CommandHandlers.h"
#include "app/StackPageInputs.h"
#include "jobs/StemJobs.h"
#include "song/SongState.h"

namespace solvena::app {

void StackStems() {
    const StemSet set = PlanStemJobs(mainSong, tracks, ReadStackInputs(), jobCount);
    if (!set.refusal.empty()) {
        RefuseStacking(set.refusal);
        return;
    }
    if (!AskStackQuestion(set.question)) return;
    if (const std::size_t stacked = StemsAlreadyStacked(StackedJobs(), set.jobs);
        stacked > 0 && !AskStackQuestion(StemsAlreadyStackedQuestion(stacked))) {
        return;
    }
    // The room was counted before the questions; nothing that adds jobs can be pressed while a
    // box of the main window is open.
    for (const RecordingJob& job : set.jobs) AppendStackedJob(job);
    ShowJobStackWindow();
}

}  // namespace solvena::app
