// Nothing lost without a word: a WAV file that is valid while it is written, capture buffers that
// cannot be queued again, a header that cannot be written, and the questions about files that
// two jobs would write and drives without room. Loopback devices, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "FullDisk.h"
#include "RunHarness.h"
#include "engine/CaptureLimits.h"
#include "engine/PreRunChecks.h"
#include "engine/RunTexts.h"

namespace solvena::testrun {
namespace {

using test::QuarterNoteSong;

std::uint32_t WordAt(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    if (bytes.size() >= at + 4) std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

bool Shown(const std::string& text) {
    for (const SeenBox& box : boxes) {
        if (box.text.find(text) != std::string::npos) return true;
    }
    return false;
}

class RecordingSafety : public RunHarness {};

TEST_F(RecordingSafety, TheFileIsAValidWavWhileItIsRecorded) {
    SetUpRun("midiout Synth\nwavein Loop\n");
    const std::string wav = TempName("growing.wav");
    AppendStackedJob(Job(TempFile("growing.mid", QuarterNoteSong(8, 240, 500000)), wav));  // 3.75 s
    Record();
    // Read as a crash would leave it: 2.5 s into the recording.
    ASSERT_TRUE(PumpUntil([&] { return testfiles::ReadBytes(wav).value_or("").size() > kWavHeaderBytes + 2.5 * 176400; }, 15000));
    const std::string bytes = testfiles::ReadBytes(wav).value_or("");
    const std::uint32_t data = WordAt(bytes, kWavHeaderBytes - 4);
    EXPECT_EQ(WordAt(bytes, 4), kWavHeaderBytes - 8 + data);
    EXPECT_EQ(data % 4, 0u) << "whole frames";
    EXPECT_GE(data, 176400u * 1.5) << "brought up to date at least once a second";
    EXPECT_LE(kWavHeaderBytes + data, bytes.size());
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }, 15000));
}

TEST_F(RecordingSafety, CaptureBuffersThatCannotBeQueuedAgain) {
    struct Case {
        const char* fail;
        bool stops;  // no buffer is left in the device
    };
    const Case cases[] = {
        {"fail add 7 after 20 once", false},  // one recycle fails
        {"fail add 34 after 1 once", false},  // one of the twenty pairs at the start
        {"fail add 7 after 20", true},         // every recycle fails: twenty buffers, then nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fail);
        SetUpRun(std::string("midiout Synth\nwavein Loop\n") + c.fail + "\n");
        const std::string song = TempFile("gaps.mid", QuarterNoteSong(10, 240, 500000));  // 4.75 s
        const std::string wav = TempName("gaps.wav");
        AppendStackedJob(Job(song, wav));
        ASSERT_TRUE(RecordAll(20000));
        EXPECT_TRUE(Shown(CaptureGapText(wav))) << "told that the recording may have gaps";
        const std::string bytes = testfiles::ReadBytes(wav).value_or("");
        EXPECT_EQ(WordAt(bytes, kWavHeaderBytes - 4) + kWavHeaderBytes, bytes.size());
        // Twenty buffers hold 2 s; a capture that goes on holds all 4.75 s.
        EXPECT_EQ(bytes.size() > kWavHeaderBytes + kCaptureBufferCount * CaptureBufferBytes(44100, 4), !c.stops) << bytes.size();
        const std::uint64_t seconds = (bytes.size() - kWavHeaderBytes) / 176400;
        EXPECT_EQ(Shown(JobFailureText(JobFailure::captureStopped, 0, 1, AfterFailure::runEnds, song, wav, seconds)),
                  c.stops);
        EXPECT_TRUE(Shown("録音バッファを戻せなかったため")) << "the report names it";
        TearDown();
    }
}

TEST_F(RecordingSafety, AStreamBufferThatCannotBeTakenBack) {
    struct Case {
        const char* fail;
        int chords;  // about 10.7 chords fill a stream buffer
        bool plays;  // to its end; else the job breaks off
    };
    const Case cases[] = {
        {"fail unprepare 11 once", 30, true},    // three buffers, none of them refilled
        {"fail unprepare 11", 30, true},         // none comes back before the end
        {"fail unprepare 11 once", 100, false},  // ten: the first buffer is needed for the ninth
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fail) + ", " + std::to_string(c.chords) + " chords");
        SetUpRun(std::string("midiout Synth\n") + c.fail + "\nwavein Loop\n");
        const std::string song = TempFile("unprepare.mid", test::DenseChordSong(c.chords));
        const std::string wav = TempName("unprepare.wav");
        AppendStackedJob(Job(song, wav));
        devices::LoopbackTakePlayedMessages();
        ASSERT_TRUE(RecordAll(30000));
        std::size_t noteOns = 0;
        for (const devices::LoopbackPlayedMessage& played : devices::LoopbackTakePlayedMessages()) {
            noteOns += (played.message & 0xF0) == 0x90 && ((played.message >> 16) & 0x7F) > 0;
        }
        EXPECT_EQ(Shown(JobFailureText(JobFailure::feedFailed, 0, 1, AfterFailure::runEnds, song, wav)), !c.plays);
        EXPECT_EQ(noteOns == 128u * c.chords, c.plays) << noteOns << " chord notes played";
        TearDown();
    }
}

TEST_F(RecordingSafety, AHeaderThatCannotBeWrittenSkipsTheJob) {
    SetUpRun("midiout Synth\nwavein Loop\n");
    const testfiles::FullDisk disk(30);  // less than a header
    const std::string song = TempFile("full.mid", QuarterNoteSong(2, 240, 500000));
    const std::string full = TempName(std::string("full.wav") + testfiles::kFullDiskSuffix);
    const std::string room = TempName("room.wav");
    AppendStackedJob(Job(song, full));
    AppendStackedJob(Job(song, room));
    ASSERT_TRUE(RecordAll(20000));
    ASSERT_EQ(boxes.size(), 1u) << boxes.back().text;
    EXPECT_EQ(boxes[0].text, JobFailureText(JobFailure::wavHeaderFailed, 0, 2, AfterFailure::nextJob, song, full));
    EXPECT_GT(testfiles::ReadBytes(room).value_or("").size(), std::size_t{kWavHeaderBytes}) << "the next job is recorded";
}

TEST_F(RecordingSafety, FilesTwoJobsWouldWriteAndDrivesWithoutRoom) {
    struct Case {
        const char* name;
        bool sameFile;
        int answer;
        bool runs;
    };
    const Case cases[] = {
        {"one file, Yes: the first job records it", true, IDYES, true},
        {"one file, No: no run", true, IDNO, false},
        {"no room, Yes: runs anyway", false, IDYES, true},
        {"no room, No: no run", false, IDNO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUpRun("midiout Synth\nwavein Loop\n");
        const std::string song = TempFile("twice.mid", QuarterNoteSong(1, 240, 500000));
        const std::string wav = TempName("twice.wav");
        RecordingJob first = Job(song, wav);
        // Windows names compare without case; the second job says the same file another way.
        RecordingJob second = Job(song, c.sameFile ? testfiles::TempPath("TWICE.WAV") : TempName("other.wav"));
        // 68 years of 44,100 Hz, 16-bit stereo: more than any disk holds.
        if (!c.sameFile) second.expectedSeconds = 0x7FFFFFFF;
        AppendStackedJob(first);
        AppendStackedJob(second);
        answers = {c.answer};
        Record();
        PumpUntil([&] { return Finished(); }, c.runs ? 15000 : 300);
        ASSERT_FALSE(boxes.empty());
        if (c.sameFile) {
            EXPECT_EQ(boxes[0].text, SameFileQuestion(wav, {0, 1}, 2));
            EXPECT_EQ(jobs[1].enabled, c.answer == IDYES ? 0 : 1);
        } else {
            EXPECT_EQ(boxes[0].text.rfind("ドライブ ", 0), 0u) << boxes[0].text;
            const std::uint64_t needed = ExpectedWavBytes(first) + ExpectedWavBytes(second);
            EXPECT_NE(boxes[0].text.find("予想サイズ: " + std::to_string((needed + 999999) / 1000000) + "MB"),
                      std::string::npos)
                << boxes[0].text;
        }
        EXPECT_EQ(boxes[0].caption, kConfirmCaption);
        EXPECT_EQ(Finished(), c.runs);
        TearDown();
    }
}

// A drive letter made for a folder (as subst makes one) names that folder: two jobs writing one
// file through both names are asked about, and so is a drive that both names fill together.
TEST_F(RecordingSafety, OneFileAndOneDriveUnderTwoNames) {
    std::string folder = testfiles::TempPath("");
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    ASSERT_TRUE(DefineDosDeviceA(0, "Q:", folder.c_str()));
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr));
    for (const bool sameFile : {true, false}) {
        SCOPED_TRACE(sameFile ? "one file" : "one drive");
        SetUpRun("midiout Synth\nwavein Loop\n");
        const std::string song = TempFile("twice.mid", QuarterNoteSong(1, 240, 500000));
        const std::string wav = TempName("twice.wav");
        RecordingJob first = Job(song, wav);
        RecordingJob second = Job(song, sameFile ? "Q:\\twice.wav" : "Q:\\other.wav");
        // Each of them would take three fifths of the drive's room at 176,400 bytes a second.
        if (!sameFile) first.expectedSeconds = second.expectedSeconds = static_cast<std::int32_t>(free.QuadPart / 176400 * 3 / 5);
        // The drive is named as the first job's file names it, not as the folder it stands for.
        if (!sameFile) std::swap(first, second);
        AppendStackedJob(first);
        AppendStackedJob(second);
        answers = {IDNO};
        Record();
        PumpUntil([&] { return Finished(); }, 300);
        ASSERT_EQ(boxes.size(), 1u);
        if (sameFile) {
            EXPECT_EQ(boxes[0].text, SameFileQuestion(wav, {0, 1}, 2));
        } else {
            EXPECT_EQ(boxes[0].text.rfind("ドライブ Q:\\ の空き容量", 0), 0u) << boxes[0].text;
        }
        EXPECT_FALSE(Finished());
        TearDown();
    }
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
}

}  // namespace
}  // namespace solvena::testrun
