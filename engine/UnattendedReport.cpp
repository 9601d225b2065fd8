#include "engine/UnattendedReport.h"

#include <algorithm>
#include <array>

namespace solvena {

namespace {

constexpr std::array<const char*, 6> kOutcomeWords = {"off", "exists", "skipped", "recorded", "check", "failed"};

// Lines inside a text end in CR LF like the report's own.
void AppendText(std::string& out, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    out.append("\r\n");
}

}  // namespace

JobOutcome OutcomeOf(const UnattendedJob& job, bool overwrite, const std::vector<RecordedJob>& recorded,
                     std::int32_t position) {
    if (!job.listedOn) return JobOutcome::off;
    if (!job.ranOn) return job.fileExisted && !overwrite ? JobOutcome::exists : JobOutcome::skipped;
    const auto found = std::find_if(recorded.begin(), recorded.end(),
                                    [&](const RecordedJob& r) { return r.position == position; });
    if (found == recorded.end() || found->brokeOff || found->writeFailed || found->cut) return JobOutcome::failed;
    return NeedsCheck(*found) ? JobOutcome::check : JobOutcome::recorded;
}

int UnattendedExitCode(const std::vector<JobOutcome>& outcomes) {
    int wanted = 0, got = 0;
    for (JobOutcome outcome : outcomes) {
        if (outcome == JobOutcome::off) continue;
        ++wanted;
        if (outcome == JobOutcome::recorded || outcome == JobOutcome::check) ++got;
    }
    if (got == 0) return 2;
    return got == wanted ? 0 : 1;
}

std::string UnattendedReportText(const std::vector<UnattendedJob>& jobs, const std::vector<JobOutcome>& outcomes,
                                 const std::vector<std::string>& told) {
    std::string out;
    for (std::size_t i = 0; i < jobs.size() && i < outcomes.size(); ++i) {
        out.append(std::to_string(i + 1));
        out.push_back('\t');
        out.append(kOutcomeWords[static_cast<std::size_t>(outcomes[i])]);
        out.push_back('\t');
        AppendText(out, jobs[i].wavPath);
    }
    out.append("\r\n");
    for (const std::string& text : told) AppendText(out, text);
    return out;
}

}  // namespace solvena
