#include "jobs/RecordingJob.h"

#include "song/Estimates.h"

namespace solvena {

std::array<RecordingJob, kMaxJobs> jobs;
std::int32_t jobCount = 0;

namespace {

JobRowHooks rowHooks;

// jobCount is shared state anyone can write; never trust it as an index without this.
bool HoldsJob(std::int32_t position) {
    return position >= 0 && position < jobCount && position < static_cast<std::int32_t>(kMaxJobs);
}

}  // namespace

void SetJobRowHooks(const JobRowHooks& hooks) { rowHooks = hooks; }

bool AppendStackedJob(const RecordingJob& job) {
    if (jobCount < 0 || jobCount >= static_cast<std::int32_t>(kMaxJobs)) return false;
    RecordingJob& slot = jobs[static_cast<std::size_t>(jobCount)];
    slot = job;
    for (std::uint8_t& flag : slot.trackEnabled) flag = flag != 0 ? 1 : 0;
    slot.enabled = slot.enabled != 0 ? 1 : 0;
    // The window reads the new job at position jobCount, so the count rises only afterwards.
    if (rowHooks.insertRow != nullptr) rowHooks.insertRow();
    ++jobCount;
    return true;
}

bool AddStackedJob(const RecordingJob& job) {
    if (!AppendStackedJob(job)) return false;
    ShowJobStackWindow();
    return true;
}

void ShowJobStackWindow() {
    if (rowHooks.showWindow != nullptr) rowHooks.showWindow();
}

void ClearJobs() {
    const std::int32_t last = jobCount < static_cast<std::int32_t>(kMaxJobs) ? jobCount : static_cast<std::int32_t>(kMaxJobs);
    for (std::int32_t i = last - 1; i >= 0; --i) {
        jobs[static_cast<std::size_t>(i)] = RecordingJob{};
        if (rowHooks.deleteRow != nullptr) rowHooks.deleteRow(i);
    }
    jobCount = 0;
}

void ResetJobTable() {
    jobs.fill(RecordingJob{});
    jobCount = 0;
}

bool ToggleJob(std::int32_t position) {
    if (!HoldsJob(position)) return false;
    RecordingJob& job = jobs[static_cast<std::size_t>(position)];
    job.enabled = job.enabled == 1 ? 0 : 1;
    return true;
}

bool SwitchJobOff(std::int32_t position) {
    if (!HoldsJob(position)) return false;
    jobs[static_cast<std::size_t>(position)].enabled = 0;
    return true;
}

int JobRowIcon(const RecordingJob& job) { return job.enabled == 1 ? 0 : 1; }

std::span<const RecordingJob> StackedJobs() {
    std::int32_t count = jobCount;
    if (count < 0) count = 0;
    if (count > static_cast<std::int32_t>(kMaxJobs)) count = static_cast<std::int32_t>(kMaxJobs);
    return std::span<const RecordingJob>(jobs.data(), static_cast<std::size_t>(count));
}

std::string JobTimeText(const RecordingJob& job) { return TimeText(job.expectedSeconds); }

std::string JobSizeText(const RecordingJob& job) {
    return SizeText(job.sampleRate, job.expectedSeconds, job.bitsPerSample, job.channels);
}

}  // namespace solvena
