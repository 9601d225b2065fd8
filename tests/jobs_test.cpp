#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"
#include "jobs/RecordingJob.h"

namespace solvena {
namespace {

// What the window layer was asked to do, with the count it saw at that moment.
std::vector<std::string> rowEvents;

void RecordInsert() {
    const RecordingJob& job = jobs[static_cast<std::size_t>(jobCount)];
    rowEvents.push_back("insert " + std::to_string(jobCount) + " " + TextOf(job.midiPath));
}
void RecordDelete(std::int32_t row) {
    const bool emptied = jobs[static_cast<std::size_t>(row)] == RecordingJob{};
    rowEvents.push_back("delete " + std::to_string(row) + (emptied ? " emptied" : " still filled"));
}
void RecordShow() { rowEvents.push_back("show " + std::to_string(jobCount)); }

RecordingJob MakeJob(const std::string& midi) {
    RecordingJob job;
    SetText(job.midiPath, midi);
    SetText(job.wavPath, midi + ".wav");
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.endTick = 1920;
    job.expectedSeconds = 4;
    job.trackEnabled[0] = 1;
    job.enabled = 1;
    return job;
}

class JobTable : public ::testing::Test {
protected:
    void SetUp() override {
        ResetJobTable();
        rowEvents.clear();
        SetJobRowHooks({RecordInsert, RecordDelete, RecordShow});
    }
    void TearDown() override {
        SetJobRowHooks({});
        ResetJobTable();
    }
};

TEST_F(JobTable, AddFillsPositionJobCountThenInsertsRowThenCountsThenShows) {
    RecordingJob job = MakeJob("a.mid");
    job.trackEnabled = {};
    job.trackEnabled[0] = 1;
    job.trackEnabled[2] = 7;  // any nonzero flag means "on"
    job.enabled = 3;
    ASSERT_TRUE(AddStackedJob(job));
    ASSERT_TRUE(AddStackedJob(MakeJob("b.mid")));
    EXPECT_EQ(jobCount, 2);
    EXPECT_EQ(rowEvents, (std::vector<std::string>{"insert 0 a.mid", "show 1", "insert 1 b.mid", "show 2"}));
    const RecordingJob& first = jobs[0];
    EXPECT_EQ(first.trackEnabled[0], 1);
    EXPECT_EQ(first.trackEnabled[1], 0);
    EXPECT_EQ(first.trackEnabled[2], 1);
    for (std::size_t i = 3; i < kMaxTracks; ++i) EXPECT_EQ(first.trackEnabled[i], 0) << i;
    EXPECT_EQ(first.enabled, 1);
    EXPECT_EQ(JobRowIcon(first), 0);
    EXPECT_EQ(jobs[2], RecordingJob{});

    rowEvents.clear();
    ASSERT_TRUE(AppendStackedJob(MakeJob("c.mid")));
    EXPECT_EQ(rowEvents, (std::vector<std::string>{"insert 2 c.mid"})) << "loading shows the window itself";
}

TEST_F(JobTable, The129thJobIsRefusedWithoutWritingAnything) {
    for (std::size_t i = 0; i < kMaxJobs; ++i) ASSERT_TRUE(AddStackedJob(MakeJob("job" + std::to_string(i))));
    const RecordingJob last = jobs[kMaxJobs - 1];
    rowEvents.clear();
    EXPECT_FALSE(AddStackedJob(MakeJob("one too many")));
    EXPECT_FALSE(AppendStackedJob(MakeJob("one too many")));
    EXPECT_EQ(jobCount, static_cast<std::int32_t>(kMaxJobs));
    EXPECT_EQ(jobs[kMaxJobs - 1], last);
    EXPECT_TRUE(rowEvents.empty());

    // A count someone set out of range is not trusted as a position either.
    jobCount = -1;
    EXPECT_FALSE(AddStackedJob(MakeJob("x")));
    EXPECT_TRUE(StackedJobs().empty());
}

TEST_F(JobTable, ClearEmptiesFromLastToFirstAndTheNextJobTakesPositionZero) {
    for (const char* name : {"a.mid", "b.mid", "c.mid"}) ASSERT_TRUE(AddStackedJob(MakeJob(name)));
    rowEvents.clear();
    ClearJobs();
    EXPECT_EQ(rowEvents, (std::vector<std::string>{"delete 2 emptied", "delete 1 emptied", "delete 0 emptied"}));
    EXPECT_EQ(jobCount, 0);
    for (const RecordingJob& job : jobs) EXPECT_EQ(job, RecordingJob{});

    ASSERT_TRUE(AddStackedJob(MakeJob("new.mid")));
    EXPECT_EQ(TextOf(jobs[0].midiPath), "new.mid");
    EXPECT_EQ(StackedJobs().size(), 1u);
}

TEST_F(JobTable, SwitchingOffAndOnRestoresTheJobAndOnlyTouchesJobsInUse) {
    ASSERT_TRUE(AddStackedJob(MakeJob("a.mid")));
    ASSERT_TRUE(AddStackedJob(MakeJob("b.mid")));
    const RecordingJob before = jobs[1];
    ASSERT_TRUE(ToggleJob(1));
    EXPECT_EQ(jobs[1].enabled, 0);
    EXPECT_EQ(JobRowIcon(jobs[1]), 1);
    ASSERT_TRUE(ToggleJob(1));
    EXPECT_EQ(jobs[1], before);

    for (std::int32_t position : {-1, 2, 127, 128}) {
        EXPECT_FALSE(ToggleJob(position)) << position;
        EXPECT_FALSE(SwitchJobOff(position)) << position;
    }
    EXPECT_EQ(jobs[0].enabled, 1);
    EXPECT_EQ(jobs[2], RecordingJob{});

    ASSERT_TRUE(SwitchJobOff(0));
    ASSERT_TRUE(SwitchJobOff(0));
    EXPECT_EQ(jobs[0].enabled, 0) << "switching off is not a toggle";
}

TEST(JobEstimates, PassTheJobsFieldsInTheirPlaces) {
    // 11 kHz, 8 bits, stereo, 100 s: 11 * 100 * 8 * 2 / 8000 = 2; mixing up rate and bits would give 0.
    RecordingJob job;
    job.sampleRate = 11025;
    job.bitsPerSample = 8;
    job.channels = 2;
    job.expectedSeconds = 100;
    EXPECT_EQ(JobSizeText(job), "2MB");
    EXPECT_EQ(JobTimeText(job), "1:40");
}

TEST(JobListMessages, SayWhereReadingStoppedAndHowManyJobsCameIn) {
    EXPECT_TRUE(JobListLoadMessage({JobListStatus::ok, 3, 0}).empty());
    const std::string incomplete = JobListLoadMessage({JobListStatus::incompleteJob, 12, 14});
    EXPECT_NE(incomplete.find("14行目"), std::string::npos);
    EXPECT_NE(incomplete.find("12件"), std::string::npos);
}

}  // namespace
}  // namespace solvena
