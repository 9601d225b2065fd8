// The run's journal: what a crashed run leaves must read back as exactly the run it was, and
// anything less than a whole journal must not be offered as one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/JobListFile.h"
#include "jobs/RunJournal.h"

namespace solvena {
namespace {

RecordingJob Job(const char* midi, std::uint8_t enabled) {
    RecordingJob job;
    SetText(job.midiPath, midi);
    SetText(job.wavPath, std::string(midi) + ".wav");
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.trackEnabled[0] = 1;
    job.enabled = enabled;
    return job;
}

TEST(RunJournal, ReadsBackTheRunAndWhereItBrokeOff) {
    const std::vector<RecordingJob> stack = {Job("a.mid", 1), Job("b.mid", 0), Job("c.mid", 1), Job("d.mid", 1)};
    struct Case {
        std::vector<std::int32_t> run, finished;
        RunBreak at;
    } const cases[] = {
        {{0, 2, 3}, {}, {3, 1}},
        {{0, 2, 3}, {0}, {3, 2}},
        {{0, 2, 3}, {0, 3}, {3, 2}},  // a job whose recording failed stays unfinished
        {{0, 2, 3}, {0, 2, 3}, {3, 3}},
        {{}, {}, {0, 0}},
    };
    for (const Case& c : cases) {
        const std::optional<RunJournal> journal = ReadRunJournal(WriteRunJournal(c.run, c.finished, stack));
        ASSERT_TRUE(journal.has_value());
        EXPECT_EQ(journal->runPositions, c.run);
        EXPECT_EQ(journal->finished, c.finished);
        EXPECT_EQ(journal->stack, WriteJobList(stack));
        EXPECT_EQ(BreakOf(*journal).total, c.at.total);
        EXPECT_EQ(BreakOf(*journal).current, c.at.current);
    }
}

TEST(RunJournal, RefusesWhatIsNotAWholeJournal) {
    const std::string list = WriteJobList(std::vector<RecordingJob>{Job("a.mid", 1)});
    const char* const heads[] = {
        "",
        "solvena run journal 2\r\nrun 0\r\nfinished\r\n",
        "solvena run journal 1\r\nrun 0\r\n",              // cut off before its finished line
        "solvena run journal 1\r\nrun 0\r\nfinished 1\r\n",  // finished outside the run
        "solvena run journal 1\r\nrun 0 0\r\nfinished\r\n",
        "solvena run journal 1\r\nrun 128\r\nfinished\r\n",
        "solvena run journal 1\r\nrun -1\r\nfinished\r\n",
        "solvena run journal 1\r\nrun 0x1\r\nfinished\r\n",
        "solvena run journal 1\r\nrun  0\r\nfinished\r\n",
        "solvena run journal 1\r\nfinished\r\nrun 0\r\n",
    };
    for (const char* head : heads) EXPECT_FALSE(ReadRunJournal(std::string(head) + list).has_value()) << head;
    // Written by hand with LF line ends, as an editor may leave it.
    EXPECT_TRUE(ReadRunJournal("solvena run journal 1\nrun 0\nfinished\n" + list).has_value());
}

}  // namespace
}  // namespace solvena
