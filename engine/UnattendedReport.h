// The report a run from the command line leaves beside its job list, and the exit code a script
// reads: one line per job with what became of it, then everything the run would have shown in a
// box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RunTexts.h"

namespace solvena {

enum class JobOutcome {
    off,       // switched off in the list
    exists,    // its file was there and overwriting was not asked for
    skipped,   // switched off by another of the checks before the run (a missing song, a device)
    recorded,  // its file is complete
    check,     // complete, but silent, clipped or with a gap: listen before trusting it
    failed,    // switched on and not recorded whole
};

struct UnattendedJob {
    std::string wavPath;
    bool listedOn = false;    // as the list was read
    bool ranOn = false;       // still on once the run's checks were through
    bool fileExisted = false; // before the run
};

JobOutcome OutcomeOf(const UnattendedJob& job, bool overwrite, const std::vector<RecordedJob>& recorded,
                     std::int32_t position);

// 0 when every job switched on in the list was recorded, 1 when some were not, 2 when none was
// (a list with none switched on too).
int UnattendedExitCode(const std::vector<JobOutcome>& outcomes);

// The lines for the jobs ("1<TAB>recorded<TAB>C:\\songs\\a.wav"), a blank line, then `told` (what
// the run said, each text as it would have stood in its box). CR LF line ends.
std::string UnattendedReportText(const std::vector<UnattendedJob>& jobs, const std::vector<JobOutcome>& outcomes,
                                 const std::vector<std::string>& told);

}  // namespace solvena
