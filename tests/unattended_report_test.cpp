// What a script learns of a command-line run: each job's outcome and the exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/UnattendedReport.h"

namespace solvena {
namespace {

RecordedJob Recording(std::int32_t position, std::optional<JobFailure> brokeOff = std::nullopt) {
    RecordedJob job;
    job.position = position;
    job.seconds = 10;
    job.levels.peakDbfs = -6;
    job.levels.samples = 441000;
    job.brokeOff = brokeOff;
    return job;
}

TEST(UnattendedReport, EachJobsOutcomeAndTheExitCode) {
    RecordedJob silent = Recording(5);
    silent.levels.peakDbfs = -90;
    RecordedJob cut = Recording(6);
    cut.cut = true;
    const std::vector<RecordedJob> recorded = {Recording(3), Recording(4, JobFailure::captureStopped), silent, cut};
    struct Case {
        UnattendedJob job;
        bool overwrite;
        std::int32_t position;
        JobOutcome outcome;
    } const cases[] = {
        {{"a.wav", false, false, true}, false, 0, JobOutcome::off},
        {{"b.wav", true, false, true}, false, 1, JobOutcome::exists},
        {{"c.wav", true, false, true}, true, 2, JobOutcome::skipped},  // overwriting was asked for: another check
        {{"d.wav", true, true, false}, false, 3, JobOutcome::recorded},
        {{"e.wav", true, true, false}, false, 4, JobOutcome::failed},  // broke off
        {{"f.wav", true, true, false}, false, 5, JobOutcome::check},
        {{"g.wav", true, true, false}, false, 6, JobOutcome::failed},  // cut at the largest WAV
        {{"h.wav", true, true, false}, false, 7, JobOutcome::failed},  // never recorded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutcomeOf(c.job, c.overwrite, recorded, c.position), c.outcome) << c.job.wavPath;
    }
    using O = JobOutcome;
    EXPECT_EQ(UnattendedExitCode({O::off, O::recorded, O::check}), 0);
    EXPECT_EQ(UnattendedExitCode({O::recorded, O::exists}), 1);
    EXPECT_EQ(UnattendedExitCode({O::failed, O::check}), 1);
    EXPECT_EQ(UnattendedExitCode({O::exists, O::skipped, O::failed}), 2);
    EXPECT_EQ(UnattendedExitCode({O::off}), 2) << "nothing switched on: nothing recorded";
    EXPECT_EQ(UnattendedExitCode({}), 2);

    EXPECT_EQ(UnattendedReportText({{"C:\\曲\\a.wav", true, true, false}, {"b.wav", true, false, true}},
                                   {O::recorded, O::exists}, {"[エラー] one\ntwo"}),
              "1\trecorded\tC:\\曲\\a.wav\r\n2\texists\tb.wav\r\n\r\n[エラー] one\r\ntwo\r\n");
}

}  // namespace
}  // namespace solvena
