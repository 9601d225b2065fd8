// The journal a run keeps beside the program while it records: the stack as the run began, the
// jobs the run records, and those it has finished. A run that ends removes it; one that did not
// end (a crash, a power cut, a killed process) leaves it, so that the next start can put the
// stack back with the finished jobs switched off.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/RecordingJob.h"

namespace solvena {

struct RunJournal {
    // Positions the run records (the switched-on jobs once its questions were answered), in run
    // order, and those of them whose files were completed.
    std::vector<std::int32_t> runPositions;
    std::vector<std::int32_t> finished;
    // The job list of the whole stack as the run began, in the job list file's own format.
    std::string stack;
};

// The journal's text: a first line naming it, a line of run positions, a line of finished ones,
// then the job list. CR LF line ends.
std::string WriteRunJournal(std::span<const std::int32_t> runPositions, std::span<const std::int32_t> finished,
                            std::span<const RecordingJob> stack);
// Nothing for a text that is not a whole journal.
std::optional<RunJournal> ReadRunJournal(std::string_view text);

// How far the run came: it was to record `total` jobs and broke off in the `current`th (1-based;
// the first unfinished one).
struct RunBreak {
    std::int32_t total = 0;
    std::int32_t current = 0;
};
RunBreak BreakOf(const RunJournal& journal);

}  // namespace solvena
