// Job list files: a job count line, then one line of 76 TAB-separated fields per job.
// Lines end in CR LF whatever platform writes them; the reader also takes LF alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "jobs/RecordingJob.h"

namespace solvena {

enum class JobListStatus {
    ok,             // every job the count announced was added
    cannotOpen,     // the file could not be opened; nothing added
    badCount,       // the first line is not a job count of 0 or more; nothing added
    incompleteJob,  // a job line is missing, short, long or holds a field that is not a whole number
    tableFull,      // a complete job did not fit: all job positions are in use
};

struct JobListResult {
    JobListStatus status = JobListStatus::ok;
    std::int32_t jobsAdded = 0;
    // 1-based line of the file where reading stopped; 0 when it did not stop early.
    std::int32_t line = 0;
};

std::string WriteJobList(std::span<const RecordingJob> list);
// False when the file cannot be created or fully written.
bool WriteJobListFile(const char* path, std::span<const RecordingJob> list);

// Appends the file's jobs to the table through AppendStackedJob, so each gets its row; showing the
// job stack window afterwards is the caller's. Stops at the first job it cannot read whole
// or cannot fit, keeping the jobs before it.
JobListResult ReadJobList(std::string_view bytes);
JobListResult ReadJobListFile(const char* path);

}  // namespace solvena
