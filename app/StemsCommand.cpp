// Command 38 (トラック別): the pages' inputs become one job per ticked track with notes.
#include <windows.h>

#include "app/CommandHandlers.h"
#include "app/StackPageInputs.h"
#include "jobs/StemJobs.h"
#include "song/SongState.h"

namespace solvena::app {

void StackStems() {
    if (RunHoldsTheTable()) return;
    const StemSet set = PlanStemJobs(mainSong, tracks, ReadStackInputs(), jobCount);
    if (!set.refusal.empty()) {
        RefuseStacking(set.refusal);
        return;
    }
    if (!AskStackQuestion(set.question) || RunHoldsTheTable()) return;
    if (const std::size_t stacked = StemsAlreadyStacked(StackedJobs(), set.jobs);
        stacked > 0 && (!AskStackQuestion(StemsAlreadyStackedQuestion(stacked)) || RunHoldsTheTable())) {
        return;
    }
    // The room was counted before the questions. Their boxes disable the main window, so only
    // 録音 could have changed the table meanwhile, and it holds it from its first question.
    for (const RecordingJob& job : set.jobs) AppendStackedJob(job);
    ShowJobStackWindow();
}

}  // namespace solvena::app
