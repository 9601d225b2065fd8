// libFuzzer target: whatever bytes arrive are loaded as a job list into an empty table, the
// way the main window's load does after clearing. Whatever was loaded must save and load
// back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/JobListFile.h"
#include "jobs/RecordingJob.h"

using solvena::JobListStatus;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    solvena::ResetJobTable();
    const solvena::JobListResult result =
        solvena::ReadJobList(std::string_view(reinterpret_cast<const char*>(data), size));

    if (solvena::jobCount < 0 || solvena::jobCount > static_cast<std::int32_t>(solvena::kMaxJobs)) __builtin_trap();
    if (result.jobsAdded != solvena::jobCount) __builtin_trap();
    if (result.status == JobListStatus::cannotOpen) __builtin_trap();
    if ((result.status == JobListStatus::ok) != (result.line == 0)) __builtin_trap();
    // Positions past the count stay empty: a stopped load leaves no half-filled job behind.
    for (std::size_t i = static_cast<std::size_t>(solvena::jobCount); i < solvena::kMaxJobs; ++i) {
        if (!(solvena::jobs[i] == solvena::RecordingJob{})) __builtin_trap();
    }

    const std::string saved = solvena::WriteJobList(solvena::StackedJobs());
    solvena::ResetJobTable();
    const solvena::JobListResult again = solvena::ReadJobList(saved);
    if (again.status != JobListStatus::ok || again.jobsAdded != result.jobsAdded) __builtin_trap();
    if (solvena::WriteJobList(solvena::StackedJobs()) != saved) __builtin_trap();
    return 0;
}
