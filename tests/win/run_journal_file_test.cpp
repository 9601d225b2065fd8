// The journal on disk: a journal whose run goes on is not offered, one left behind is, and a
// run's end removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "engine/win32/RunJournalFile.h"
#include "jobs/RecordingJob.h"

namespace solvena::engine {
namespace {

TEST(RunJournalFile, OnlyAJournalNoRunHoldsIsOffered) {
    const std::string folder = testfiles::TempPath("solvena-journal");
    CreateDirectoryA(folder.c_str(), nullptr);
    ResetJobTable();
    RecordingJob job;
    SetText(job.midiPath, "C:\\a.mid");
    job.enabled = 1;
    ASSERT_TRUE(AppendStackedJob(job) && AppendStackedJob(job));
    const std::vector<std::int32_t> run = {0, 1};

    RunJournalFile journal;
    ASSERT_TRUE(journal.Begin(folder, run));
    EXPECT_FALSE(FindUnfinishedRun(folder).has_value()) << "its run goes on";
    RunJournalFile second;
    EXPECT_FALSE(second.Begin(folder, run)) << "a second run of the folder keeps none";
    journal.Finished(0);
    journal.Leave();
    const std::optional<RunJournal> left = FindUnfinishedRun(folder);
    ASSERT_TRUE(left.has_value()) << "left behind";
    EXPECT_EQ(left->finished, std::vector<std::int32_t>{0});
    DiscardUnfinishedRun(folder);
    EXPECT_FALSE(FindUnfinishedRun(folder).has_value());

    ASSERT_TRUE(journal.Begin(folder, run));
    journal.End();
    EXPECT_EQ(GetFileAttributesA(RunJournalPath(folder).c_str()), INVALID_FILE_ATTRIBUTES) << "an ended run leaves none";
    ResetJobTable();
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace solvena::engine
