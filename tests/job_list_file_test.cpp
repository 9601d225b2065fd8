#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/JobListFile.h"
#include "jobs/RecordingJob.h"

namespace solvena {
namespace {

std::vector<std::int32_t> insertedAt;
void RecordInsert() { insertedAt.push_back(jobCount); }
void RecordShow() { ADD_FAILURE() << "the reader must leave showing the window to its caller"; }

class JobListFile : public ::testing::Test {
protected:
    void SetUp() override {
        ResetJobTable();
        insertedAt.clear();
        SetJobRowHooks({RecordInsert, nullptr, RecordShow});
    }
    void TearDown() override {
        SetJobRowHooks({});
        ResetJobTable();
    }
};

// The 76 fields of a plain job line, built by hand so the reader is not checked against the writer.
std::vector<std::string> Fields(const std::string& midi, const std::string& wav) {
    std::vector<std::string> f = {midi, wav, "1", "0", "44100", "16", "2", "0", "1920", "3", "7"};
    for (int i = 0; i < 64; ++i) f.push_back(i == 0 ? "1" : "0");
    f.push_back("1");
    return f;
}

std::string Join(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : "\t") + fields[i];
    return line;
}

std::string Line(const std::string& midi, const std::string& wav = "out.wav") { return Join(Fields(midi, wav)); }

RecordingJob VariedJob(const std::string& midi, std::int32_t seed) {
    RecordingJob job;
    SetText(job.midiPath, midi);
    SetText(job.wavPath, "C:\\out\\" + std::to_string(seed) + ".wav");
    job.midiOutDevice = seed;
    job.waveInDevice = -seed;
    job.sampleRate = 192000;
    job.bitsPerSample = 24;
    job.channels = 1;
    job.startTick = INT32_MIN + seed;
    job.endTick = INT32_MAX - seed;
    job.reverbSeconds = 999;
    job.expectedSeconds = -seed;
    for (std::size_t i = 0; i < kMaxTracks; ++i) job.trackEnabled[i] = (i + static_cast<std::size_t>(seed)) % 3 == 0;
    job.enabled = seed % 2;
    return job;
}

TEST_F(JobListFile, EmptyTableIsJustItsCount) {
    EXPECT_EQ(WriteJobList(StackedJobs()), "0\r\n");
    const JobListResult r = ReadJobList("0\r\n");
    EXPECT_EQ(r.status, JobListStatus::ok);
    EXPECT_EQ(r.jobsAdded, 0);
    EXPECT_EQ(jobCount, 0);
}

TEST_F(JobListFile, JobLineHas76TabSeparatedFieldsAndCrLf) {
    RecordingJob job;
    SetText(job.midiPath, "C:\\a.mid");
    SetText(job.wavPath, "C:\\a.wav");
    job.midiOutDevice = 1;
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.startTick = -5;
    job.endTick = 1920;
    job.reverbSeconds = 3;
    job.expectedSeconds = -7;
    job.trackEnabled[0] = 1;
    job.trackEnabled[2] = 1;
    std::string expected = "1\r\nC:\\a.mid\tC:\\a.wav\t1\t0\t44100\t16\t2\t-5\t1920\t3\t-7\t1\t0\t1\t";
    for (int i = 3; i < 64; ++i) expected += "0\t";
    expected += "0\r\n";
    EXPECT_EQ(WriteJobList(std::span<const RecordingJob>(&job, 1)), expected);
}

TEST_F(JobListFile, WriteReadWriteIsByteExactWithLongPathsAndOffJobs) {
    const std::string path300 = "C:\\" + std::string(296, 'p') + ".mid";
    const std::string path511 = std::string(507, 'q') + ".mid";
    const std::string cp932 = "C:\\\x83\x5C\x83\x8B\\\x95\x5C.mid";  // trail bytes that look like a backslash
    const std::string leadingSpaces = "  spaced.mid";
    const std::string paths[] = {path300, path511, cp932, leadingSpaces, ""};
    std::int32_t seed = 1;
    for (const std::string& p : paths) ASSERT_TRUE(AppendStackedJob(VariedJob(p, seed++)));
    const std::span<const RecordingJob> stacked = StackedJobs();
    const std::vector<RecordingJob> before(stacked.begin(), stacked.end());
    const std::string saved = WriteJobList(StackedJobs());

    ResetJobTable();
    const JobListResult r = ReadJobList(saved);
    EXPECT_EQ(r.status, JobListStatus::ok);
    EXPECT_EQ(r.jobsAdded, 5);
    ASSERT_EQ(jobCount, 5);
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(jobs[i], before[i]) << i;
    EXPECT_EQ(TextOf(jobs[0].midiPath), path300);
    EXPECT_EQ(TextOf(jobs[1].midiPath), path511);
    EXPECT_EQ(jobs[1].enabled, 0);
    EXPECT_EQ(WriteJobList(StackedJobs()), saved);
}

TEST_F(JobListFile, FilesOnDiskRoundTripAndMissingFilesSayCannotOpen) {
    const std::string file = (std::filesystem::temp_directory_path() / "solvena_job_list_test.list").string();
    for (std::int32_t seed : {1, 2}) ASSERT_TRUE(AppendStackedJob(VariedJob("C:\\song.mid", seed)));
    ASSERT_TRUE(WriteJobListFile(file.c_str(), StackedJobs()));
    EXPECT_EQ(ReadJobListFile(file.c_str()).status, JobListStatus::ok);
    ASSERT_EQ(jobCount, 4);
    EXPECT_EQ(jobs[2], jobs[0]);
    EXPECT_EQ(jobs[3], jobs[1]);
    std::filesystem::remove(file);

    const std::string missing = (std::filesystem::temp_directory_path() / "solvena no such folder" / "x.list").string();
    EXPECT_FALSE(WriteJobListFile(missing.c_str(), StackedJobs()));
    const JobListResult gone = ReadJobListFile(missing.c_str());
    EXPECT_EQ(gone.status, JobListStatus::cannotOpen);
    EXPECT_EQ(jobCount, 4);
}

TEST_F(JobListFile, LoadingAppendsAfterExistingJobsOneRowEach) {
    for (std::int32_t seed : {1, 2, 3}) ASSERT_TRUE(AppendStackedJob(VariedJob("old.mid", seed)));
    insertedAt.clear();
    const JobListResult r = ReadJobList("2\r\n" + Line("x.mid") + "\r\n" + Line("y.mid") + "\r\n");
    EXPECT_EQ(r.status, JobListStatus::ok);
    EXPECT_EQ(jobCount, 5);
    EXPECT_EQ(TextOf(jobs[3].midiPath), "x.mid");
    EXPECT_EQ(TextOf(jobs[4].midiPath), "y.mid");
    EXPECT_EQ(insertedAt, (std::vector<std::int32_t>{3, 4}));
}

TEST_F(JobListFile, LineEndsAndTrailingBlanksNeverReachTheNextPath) {
    const std::string crlf = "2\r\n" + Line("a.mid") + "\r\n" + Line("b.mid") + "\r\n";
    const std::string lf = "2\n" + Line("a.mid") + "\n" + Line("b.mid");
    const std::string blanks = "\n \r\n 2 \t\r\n" + Line("a.mid") + " \t \r\n" + Line("b.mid") + "\t\r\n";
    for (const std::string& text : {crlf, lf, blanks}) {
        ResetJobTable();
        const JobListResult r = ReadJobList(text);
        EXPECT_EQ(r.status, JobListStatus::ok) << text;
        ASSERT_EQ(jobCount, 2);
        EXPECT_EQ(TextOf(jobs[1].midiPath), "b.mid");
        EXPECT_EQ(TextOf(jobs[1].wavPath), "out.wav");
        EXPECT_EQ(jobs[1].sampleRate, 44100);
        EXPECT_EQ(jobs[1].enabled, 1);
    }
    // Blanks at the start of a path are the path's own.
    ResetJobTable();
    EXPECT_EQ(ReadJobList("1\r\n  a.mid\t wav\t" + Join(std::vector<std::string>(74, "1"))).status,
              JobListStatus::ok);
    EXPECT_EQ(TextOf(jobs[0].midiPath), "  a.mid");
    EXPECT_EQ(TextOf(jobs[0].wavPath), " wav");
}

TEST_F(JobListFile, NumbersReadLikeDecimalIntegersAndFlagsBecomeZeroOrOne) {
    std::vector<std::string> f = Fields("a.mid", "a.wav");
    f[2] = "+5";
    f[7] = "-2147483648";
    f[8] = "2147483647";
    f[12] = "-1";  // track 1
    f[13] = "2";   // track 2
    f[75] = "9";   // enabled
    ASSERT_EQ(ReadJobList("1\r\n" + Join(f) + "\r\n").status, JobListStatus::ok);
    const RecordingJob& job = jobs[0];
    EXPECT_EQ(job.midiOutDevice, 5);
    EXPECT_EQ(job.startTick, INT32_MIN);
    EXPECT_EQ(job.endTick, INT32_MAX);
    EXPECT_EQ(job.trackEnabled[1], 1);
    EXPECT_EQ(job.trackEnabled[2], 1);
    EXPECT_EQ(job.trackEnabled[3], 0);
    EXPECT_EQ(job.enabled, 1);
}

struct Malformed {
    const char* what;
    std::string text;
    JobListStatus status;
    std::int32_t added;
    std::int32_t line;
};

TEST_F(JobListFile, MalformedFilesStopAtTheFirstIncompleteJobKeepingEarlierOnes) {
    std::vector<std::string> shortLine = Fields("c.mid", "c.wav");
    shortLine.pop_back();
    std::vector<std::string> longLine = Fields("c.mid", "c.wav");
    longLine.push_back("0");
    std::vector<std::string> letters = Fields("c.mid", "c.wav");
    letters[4] = "x";
    std::vector<std::string> glued = Fields("c.mid", "c.wav");
    glued[4] = "44100x";
    std::vector<std::string> tooBig = Fields("c.mid", "c.wav");
    tooBig[8] = "2147483648";
    std::vector<std::string> lastGlued = Fields("c.mid", "c.wav");
    lastGlued[75] = "1-1";
    const std::string two = Line("a.mid") + "\r\n" + Line("b.mid") + "\r\n";
    const Malformed cases[] = {
        {"empty file", "", JobListStatus::badCount, 0, 1},
        {"count not a number", "jobs\r\n" + two, JobListStatus::badCount, 0, 1},
        {"negative count", "-1\r\n" + two, JobListStatus::badCount, 0, 1},
        {"count with text after it", "2 jobs\r\n" + two, JobListStatus::badCount, 0, 1},
        {"count beyond 32 bits", "99999999999\r\n" + two, JobListStatus::badCount, 0, 1},
        {"fewer lines than the count", "3\r\n" + two, JobListStatus::incompleteJob, 2, 4},
        {"a field missing", "3\r\n" + two + Join(shortLine) + "\r\n", JobListStatus::incompleteJob, 2, 4},
        {"a field too many", "3\r\n" + two + Join(longLine) + "\r\n", JobListStatus::incompleteJob, 2, 4},
        {"a field of letters", "3\r\n" + two + Join(letters), JobListStatus::incompleteJob, 2, 4},
        {"a number glued to text", "3\r\n" + two + Join(glued), JobListStatus::incompleteJob, 2, 4},
        {"last number glued to text", "3\r\n" + two + Join(lastGlued), JobListStatus::incompleteJob, 2, 4},
        {"a number beyond 32 bits", "3\r\n" + two + Join(tooBig), JobListStatus::incompleteJob, 2, 4},
        {"path without its TAB", "3\r\n" + two + "c.mid\r\n", JobListStatus::incompleteJob, 2, 4},
        {"file ends inside a path", "3\r\n" + two + "c.mid", JobListStatus::incompleteJob, 2, 4},
        {"blank line between jobs", "2\r\n" + Line("a.mid") + "\r\n\r\n" + Line("b.mid"), JobListStatus::incompleteJob, 1,
         3},
        {"path over 511 bytes", "2\r\n" + Line("a.mid") + "\r\n" + Line(std::string(512, 'p')),
         JobListStatus::incompleteJob, 1, 3},
        {"zero byte in a path", "2\r\n" + Line("a.mid") + "\r\n" + Line(std::string("b\0.mid", 6)),
         JobListStatus::incompleteJob, 1, 3},
    };
    for (const Malformed& c : cases) {
        ResetJobTable();
        const JobListResult r = ReadJobList(c.text);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.jobsAdded, c.added) << c.what;
        EXPECT_EQ(r.line, c.line) << c.what;
        EXPECT_EQ(jobCount, c.added) << c.what;
        if (c.added >= 1) {
            EXPECT_EQ(TextOf(jobs[0].midiPath), "a.mid") << c.what;
        }
        for (std::size_t i = static_cast<std::size_t>(c.added); i < kMaxJobs; ++i) {
            ASSERT_EQ(jobs[i], RecordingJob{}) << c.what << ": position " << i << " was written";
        }
    }
    ResetJobTable();
    EXPECT_EQ(ReadJobList("1\r\n" + Line(std::string(511, 'p'))).status, JobListStatus::ok) << "511 bytes still fit";
}

TEST_F(JobListFile, NeverMoreThan128Jobs) {
    for (std::size_t i = 0; i < kMaxJobs - 1; ++i) ASSERT_TRUE(AppendStackedJob(VariedJob("old.mid", 1)));
    const JobListResult r = ReadJobList("3\r\n" + Line("a.mid") + "\r\n" + Line("b.mid") + "\r\n" + Line("c.mid"));
    EXPECT_EQ(r.status, JobListStatus::tableFull);
    EXPECT_EQ(r.jobsAdded, 1);
    EXPECT_EQ(r.line, 3);
    EXPECT_EQ(jobCount, 128);
    EXPECT_EQ(TextOf(jobs[127].midiPath), "a.mid");

    // A broken job at the point where the table is full is reported as broken.
    EXPECT_EQ(ReadJobList("1\r\nbroken").status, JobListStatus::incompleteJob);
    // An empty list changes nothing even into a full table.
    EXPECT_EQ(ReadJobList("0\r\n").status, JobListStatus::ok);

    ResetJobTable();
    std::string many = "200\r\n";
    for (int i = 0; i < 130; ++i) many += Line("j" + std::to_string(i) + ".mid") + "\r\n";
    const JobListResult big = ReadJobList(many);
    EXPECT_EQ(big.status, JobListStatus::tableFull);
    EXPECT_EQ(big.jobsAdded, 128);
    EXPECT_EQ(big.line, 130);
    EXPECT_EQ(TextOf(jobs[127].midiPath), "j127.mid");
}

}  // namespace
}  // namespace solvena
