// The run's journal on disk, in the start folder beside delays.ini: written when the run begins
// and again after every finished job, each time beside the last and then put in its place, so a
// crash or a power cut leaves the last whole journal. While a run keeps it, a lock file beside it
// stays open; the system closes (and removes) that lock with the process, so a journal whose
// lock can be taken was left by a run that did not end, and one whose lock cannot be taken
// belongs to a run going on in another copy of the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jobs/RecordingJob.h"
#include "jobs/RunJournal.h"

namespace solvena::engine {

std::string RunJournalPath(const std::string& startFolder);

class RunJournalFile {
public:
    // Takes the lock and writes the first journal of a run that records `runPositions` of the
    // stack. False, keeping nothing, when another copy's run holds the lock or the folder cannot
    // take the journal: the run goes on without one.
    bool Begin(const std::string& startFolder, std::span<const std::int32_t> runPositions);
    // The job's file is complete.
    void Finished(std::int32_t position);
    // The run has ended: the journal and its lock go.
    void End();
    // The session ends under the run: the journal stays for the next start.
    void Leave();
    bool Kept() const { return lock_ != INVALID_HANDLE_VALUE; }

private:
    bool Write() const;

    std::string path_;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    std::vector<RecordingJob> stack_;
    std::vector<std::int32_t> run_;
    std::vector<std::int32_t> finished_;
};

// A journal in the start folder that no running copy holds and that reads whole; nothing
// otherwise.
std::optional<RunJournal> FindUnfinishedRun(const std::string& startFolder);
// Removes it, unless a running copy holds it.
void DiscardUnfinishedRun(const std::string& startFolder);

}  // namespace solvena::engine
