// Whole runs, driven as a person would: a job list loaded with 読込, 録音 pressed, the progress
// followed to the finish, and every WAV file read back by an independent reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "CommonControls.h"
#include "FileDialogs.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

using solvena::test::DenseChordSong;
using solvena::test::PartsSong;
using solvena::test::QuarterNoteSong;

// How far a file's length may be from its music and reverb: the tail's timer and the last
// notification each come some milliseconds late.
constexpr double kLengthToleranceSeconds = 0.25;

bool Contains(const AnsiText& text, const char* part) { return text.bytes.find(AnsiText(part).bytes) != std::string::npos; }

class RunScenario : public RecordingRun {
protected:
    // Starts a run of one 20 s job into `wav` on the studio's devices; true once it records.
    ::testing::AssertionResult StartLongRun(const std::string& wav, int rate = 44100, int bits = 16, int channels = 2) {
        if (!Launch({std::nullopt, kStudio})) return ::testing::AssertionFailure() << "no program";
        const std::string song = Put("long.mid", QuarterNoteSong(40, 240, 500000));
        if (!LoadList(PutList("long.list", {Job(song, PathOf(wav), rate, bits, channels, 2)}))) {
            return ::testing::AssertionFailure() << "the list did not load";
        }
        if (!Click(GetDlgItem(JobStack(), 14)) ||
            !WaitUntil([&] { return TextOf(Control("progressLabel")) == AnsiText("録音中... 1/1"); }, 10000)) {
            return ::testing::AssertionFailure() << "the run did not start";
        }
        return ::testing::AssertionSuccess();
    }

    // The file holds a complete WAV in the job's format, as long as its music and reverb tail.
    void ExpectRecorded(const std::string& wav, const std::string& midi, int rate, int bits,
                        int channels, int reverb) {
        SCOPED_TRACE(wav);
        const CheckResult info = Check("info", {wav});
        EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
        EXPECT_EQ(NumberOf(info, "wave_ok"), 1);
        EXPECT_EQ(NumberOf(info, "rate"), rate);
        EXPECT_EQ(NumberOf(info, "bits"), bits);
        EXPECT_EQ(NumberOf(info, "channels"), channels);
        EXPECT_EQ(NumberOf(info, "extra"), 0);
        const double music = NumberOf(Check("length", {midi}), "seconds");
        EXPECT_NEAR(NumberOf(info, "seconds"), music + reverb, kLengthToleranceSeconds);
    }
};

TEST_F(RunScenario, ThreeJobsTheSecondSwitchedOff) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    const std::string song = Put("song.mid", QuarterNoteSong(4, 240, 500000));  // 1.75 s of music
    const std::vector<solvena::RecordingJob> jobs = {
        Job(song, PathOf("one.wav"), 44100, 16, 2, 1),
        Job(song, PathOf("two.wav"), 44100, 16, 2, 1, false),
        Job(song, PathOf("three.wav"), 8000, 8, 1, 1),
    };
    ASSERT_TRUE(LoadList(PutList("three.list", jobs)));
    EXPECT_EQ(RowIcons(), (std::vector<int>{0, 1, 0}));

    const RunLog log = RecordAndFollow(60000);
    ASSERT_TRUE(log.finished) << "the run did not finish";
    EXPECT_TRUE(log.boxes.empty()) << ToUtf8(log.boxes.front().text.bytes);
    EXPECT_EQ(log.progress, (std::vector<AnsiText>{"録音中... 1/3", "録音中... 3/3", "録音が終了しました。"}));
    EXPECT_EQ(TextOf(Control("cancelButton")), AnsiText("閉じる"));
    EXPECT_TRUE(IsWindowVisible(Control("progressLabel"))) << "run mode shows the progress";
    EXPECT_FALSE(IsWindowVisible(Control("openButton"))) << "run mode hides the pages";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(JobStack(), 14))) << "録音 stays disabled";
    EXPECT_FALSE(IsWindowEnabled(Control("loadListButton")));
    EXPECT_EQ(RowIcons(), (std::vector<int>{3, 1, 3}));
    SavePicture(JobStack(), "rows");
    // Its close box only hides it, and shows the main window's run mode behind it.
    ASSERT_TRUE(PostMessageA(JobStack(), WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(JobStack()); }, 5000));
    Settle(Main());
    SavePicture(Main(), "finished");

    ExpectRecorded(PathOf("one.wav"), song, 44100, 16, 2, 1);
    ExpectRecorded(PathOf("three.wav"), song, 8000, 8, 1, 1);
    EXPECT_EQ(GetFileAttributesA(PathOf("two.wav").c_str()), INVALID_FILE_ATTRIBUTES) << "a switched-off job records nothing";

    DWORD exitCode = 0;
    ASSERT_TRUE(Click(Control("cancelButton")));
    EXPECT_EQ(WaitForSingleObject(Process(), 5000), WAIT_OBJECT_0) << "閉じる ends the program";
    GetExitCodeProcess(Process(), &exitCode);
}

TEST_F(RunScenario, NoteOnsetsKeepTheirTimesAcrossStreamBuffers) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    // 104 chords of 128 notes: about 26,600 stream records, ten stream buffers.
    const std::string song = Put("dense.mid", DenseChordSong(104));
    ASSERT_TRUE(LoadList(PutList("dense.list", {Job(song, PathOf("dense.wav"), 44100, 16, 2, 1)})));
    const RunLog log = RecordAndFollow(90000);
    ASSERT_TRUE(log.finished);
    EXPECT_TRUE(log.boxes.empty());

    const CheckResult onsets = Check("onsets", {PathOf("dense.wav"), song});
    EXPECT_EQ(NumberOf(onsets, "found"), 104);
    EXPECT_EQ(NumberOf(onsets, "expected"), 104);
    const double worst = NumberOf(onsets, "maxerror_ms");
    EXPECT_LT(worst, 1.0) << "onset " << ValueOf(onsets, "worst_index");
    EXPECT_GE(NumberOf(onsets, "boundaries"), 1) << "no chord starts a stream buffer";
    std::printf("[ measured ] largest onset error %.4f ms over 104 chords: %s ms at the %s chords that open or "
                "straddle a stream buffer, %s ms elsewhere\n",
                worst, ValueOf(onsets, "maxerror_boundary_ms").c_str(), ValueOf(onsets, "boundaries").c_str(),
                ValueOf(onsets, "maxerror_other_ms").c_str());
    const CheckResult lost = Check("lost", {PathOf("loopback-report.txt")});
    EXPECT_EQ(NumberOf(lost, "lost"), 0) << "samples fell due with no capture buffer queued";
}

// One song recorded in three jobs from bar 2, each with other tracks and so another lead-in, on a
// WAVE IN device that takes 0.6 to 1.8 s to deliver and a MIDI OUT driver slow to open: laid
// together, the files put every note on the same frame.
TEST_F(RunScenario, PartsOfOneSongLineUpFrameForFrame) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Slow Synth\n  opendelay 20-120\nwavein Slow Mic\n  startdelay 600-1800\n"}));
    const std::string song = Put("parts.mid", PartsSong(5));
    constexpr int kBar2 = 2 * 1920;
    const std::vector<std::vector<int>> selections = {{0, 1}, {0, 2}, {0, 1, 2, 3}};
    std::vector<solvena::RecordingJob> jobs;
    for (std::size_t i = 0; i < selections.size(); ++i) {
        solvena::RecordingJob job = Job(song, PathOf(Numbered("part", static_cast<long long>(i)) + ".wav"), 44100, 16, 2, 1);
        job.startTick = kBar2;
        job.trackEnabled = {};
        for (int track : selections[i]) job.trackEnabled[static_cast<std::size_t>(track)] = 1;
        jobs.push_back(job);
    }
    ASSERT_TRUE(LoadList(PutList("parts.list", jobs)));
    const RunLog log = RecordAndFollow(120000);
    ASSERT_TRUE(log.finished);
    EXPECT_TRUE(log.boxes.empty()) << ToUtf8(log.boxes.front().text.bytes);

    double worst = 0;
    for (std::size_t i = 0; i < selections.size(); ++i) {
        std::string tracks;
        for (int track : selections[i]) {
            if (!tracks.empty()) tracks += ',';
            tracks += std::to_string(track);
        }
        SCOPED_TRACE(tracks);
        const CheckResult aligned = Check("aligned", {PathOf(Numbered("part", static_cast<long long>(i)) + ".wav"), song},
                                          {std::to_string(kBar2), tracks});
        EXPECT_GT(NumberOf(aligned, "expected"), 0);
        EXPECT_EQ(NumberOf(aligned, "found"), NumberOf(aligned, "expected"));
        EXPECT_LE(NumberOf(aligned, "maxerror_frames"), 1) << "tick " << ValueOf(aligned, "worst_tick");
        worst = std::max(worst, NumberOf(aligned, "maxerror_frames"));
    }
    const CheckResult lost = Check("lost", {PathOf("loopback-report.txt")});
    EXPECT_EQ(NumberOf(lost, "lost"), 0);
    std::printf("[ measured ] three jobs from bar 2 with other lead-ins, devices starting 0.6-1.8 s late: every note "
                "within %.0f frames of its frame at 44,100 Hz\n", worst);
}

TEST_F(RunScenario, ClosingDuringACaptureLeavesAValidWav) {
    ASSERT_TRUE(StartLongRun("long.wav"));
    const ULONGLONG seen = GetTickCount64();
    Sleep(3000);
    const ULONGLONG closing = GetTickCount64();
    ASSERT_TRUE(Click(Control("cancelButton")));
    ASSERT_EQ(WaitForSingleObject(Process(), 10000), WAIT_OBJECT_0) << "キャンセル did not end the program";

    const CheckResult info = Check("info", {PathOf("long.wav")});
    EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
    EXPECT_EQ(NumberOf(info, "wave_ok"), 1);
    // Everything captured until the close: at least the time the run was seen recording, less the
    // few tenths of a second in which the capture is placed before the music starts.
    EXPECT_GE(NumberOf(info, "seconds"), (closing - seen) / 1000.0 - 0.4);
    EXPECT_GT(NumberOf(Check("tone", {PathOf("long.wav")}), "rms"), 0.01) << "the notes are in it";
}

// A run ended from outside, as a crash or a power cut ends it: the WAV opens in every reader and
// holds what was captured up to its last second, in the largest format and in the smallest.
TEST_F(RunScenario, AKilledRunLeavesAWavOfAllButItsLastSecond) {
    for (const auto& [rate, bits, channels] : {std::tuple{192000, 32, 2}, std::tuple{8000, 8, 1}}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(StartLongRun("killed.wav", rate, bits, channels));
        const ULONGLONG seen = GetTickCount64();
        Sleep(6000);
        ASSERT_TRUE(TerminateProcess(Process(), 9));
        const double captured = (GetTickCount64() - seen) / 1000.0;
        ASSERT_EQ(WaitForSingleObject(Process(), 10000), WAIT_OBJECT_0);

        const CheckResult info = Check("info", {PathOf("killed.wav")});
        EXPECT_EQ(NumberOf(info, "wave_ok"), 1) << ValueOf(info, "wave_error");
        EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
        // The file starts with the music, a few tenths after the run was seen, and may leave its
        // last second and the buffer being filled undeclared.
        EXPECT_GE(NumberOf(info, "seconds"), captured - 1.5);
        std::printf("[ measured ] a run at %d Hz, %d bits, %d channels killed %.2f s into its capture left %s s that "
                    "Python's wave reads\n",
                    rate, bits, channels, captured, ValueOf(info, "seconds").c_str());
    }
}

// Windows ending the session during a run: the program lets it end and completes the file, which
// Windows then leaves behind when it ends the process.
TEST_F(RunScenario, TheSessionsEndCompletesTheWav) {
    ASSERT_TRUE(StartLongRun("session.wav"));
    Sleep(2500);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer));
    EXPECT_EQ(answer, TRUE) << "a run does not keep the session from ending";
    ASSERT_TRUE(SendMessageTimeoutA(Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer));
    const CheckResult info = Check("info", {PathOf("session.wav")});
    EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
    EXPECT_EQ(NumberOf(info, "filesize"), NumberOf(info, "dataoffset") + NumberOf(info, "datasize"))
        << "completed, nothing written after";
    EXPECT_GE(NumberOf(info, "seconds"), 2.0);
    TerminateProcess(Process(), 0);
}

// A stem of bars 17 to 32 tells an editor where it belongs: its broadcast wave time reference is the
// start tick's place in the song, and the song's markers in the take are its cue points, as
// readers nobody here wrote (mediainfo, sndfile-info) and Python's wave module read it.
TEST_F(RunScenario, AStemOfBars17To32DropsIntoAnEditorAtItsBar) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    // 2/4 at 480 ticks a quarter: bar n at tick 960 n. 120 beats a minute, 100 from bar 9, 150 from
    // bar 21; markers at bars 0, 9, 17 (in code page 932), a cue point at bar 25, a marker at 33.
    solvena::test::TrackBuilder conductor, part;
    conductor.TimeSignature(0, 2, 2).Tempo(0, 500000).Text(0, 0x06, "Intro").Tempo(8640, 600000);
    conductor.Text(0, 0x06, "Verse").Text(7680, 0x06, "Chorus \x83\x54\x83\x72").Tempo(3840, 400000);
    conductor.Text(3840, 0x07, "Bridge").Text(7680, 0x06, "Outro").EndOfTrack(960);
    for (std::uint32_t beat = 0; beat < 68; ++beat) part.Event(beat == 0 ? 0 : 420, {0x90, 72, 100}).Event(60, {0x80, 72, 0});
    part.EndOfTrack(0);
    const std::string song = Put("marks.mid", solvena::test::SmfBuilder(1, 2, 480).Track(conductor).Track(part).Bytes());
    solvena::RecordingJob job = Job(song, PathOf("stem.wav"), 44100, 16, 2, 0);
    job.startTick = 17 * 960;
    job.endTick = 32 * 960;
    ASSERT_TRUE(LoadList(PutList("marks.list", {job})));
    ASSERT_TRUE(RecordAndFollow(60000).finished);

    const CheckResult info = Check("info", {PathOf("stem.wav")});
    EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
    EXPECT_EQ(NumberOf(info, "wave_ok"), 1) << ValueOf(info, "wave_error");
    EXPECT_EQ(ValueOf(info, "chunks"), "fmt,bext,data,cue,LIST");
    EXPECT_EQ(ValueOf(info, "bext_description"), "marks.mid,_bars_17-32,_tracks_0,1");
    EXPECT_EQ(ValueOf(info, "bext_history"), "A=PCM,F=44100,W=16,M=stereo,T=Solvena 1.00");
    const CheckResult placed = Check("placed", {PathOf("stem.wav"), song}, {std::to_string(job.startTick)});
    // 18.6 s into the song: 9 s at 120, 9.6 s at 100.
    EXPECT_EQ(NumberOf(placed, "expected_time_reference"), 820260);
    EXPECT_EQ(NumberOf(placed, "time_reference"), 820260);
    EXPECT_EQ(NumberOf(placed, "mediainfo_frames"), 820260) << ValueOf(placed, "mediainfo_delay_ms");
    // The chorus on the file's first frame, the bridge 8 s in; the outro lies past the take.
    EXPECT_EQ(ValueOf(placed, "expected_cues"), ValueOf(placed, "sndfile_cues"));
    EXPECT_NE(ValueOf(placed, "sndfile_cues").find("@0,Bridge@352800"), std::string::npos) << ValueOf(placed, "sndfile_cues");
    EXPECT_EQ(ValueOf(placed, "sndfile_cues").find("Outro"), std::string::npos);
    std::printf("[ measured ] a stem of bars 17 to 32: mediainfo places it %s ms (%s frames) into the song, its time "
                "reference %s frames; sndfile-info reads its cue points %s; Python's wave reads %s s\n",
                ValueOf(placed, "mediainfo_delay_ms").c_str(), ValueOf(placed, "mediainfo_frames").c_str(),
                ValueOf(placed, "time_reference").c_str(), ValueOf(placed, "sndfile_cues").c_str(),
                ValueOf(info, "seconds").c_str());
}

// A MIDI OUT driver that hangs after two stream buffers: the job is ended, told and reported,
// and the next one recorded.
TEST_F(RunScenario, AHungSynthesizerIsEndedAndTheNextJobRecorded) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Hung Synth\n  stall after 2\nmidiout Virtual Synth\nwavein Virtual Loop\n"}));
    // 40 chords in 5 s: 10,240 records, four stream buffers.
    const std::string song = Put("dense.mid", DenseChordSong(40));
    solvena::RecordingJob good = Job(song, PathOf("good.wav"), 44100, 16, 2, 0);
    good.midiOutDevice = 1;
    ASSERT_TRUE(LoadList(PutList("hung.list", {Job(song, PathOf("hung.wav"), 44100, 16, 2, 0), good})));
    const RunLog log = RecordAndFollow(90000, {}, true);
    ASSERT_TRUE(log.finished);
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_TRUE(Contains(log.boxes[0].text, "MIDIデバイスが演奏の終わりを知らせてきません。"));
    ASSERT_TRUE(log.report.has_value());
    EXPECT_TRUE(Contains(log.report->text, "打ち切られました")) << ToUtf8(log.report->text.bytes);
    ASSERT_TRUE(AnswerMessageBox(*log.report, IDOK));
    EXPECT_EQ(RowIcons(), (std::vector<int>{4, 3}));
    ExpectRecorded(PathOf("good.wav"), song, 44100, 16, 2, 0);

    // The file ends where the watchdog ended the job; its last chord is the last the device played.
    const double length = NumberOf(Check("info", {PathOf("hung.wav")}), "seconds");
    const double lastChord = NumberOf(Check("onsets", {PathOf("hung.wav"), song}), "last_onset");
    const double music = NumberOf(Check("length", {song}), "seconds");
    EXPECT_NEAR(length, music + 10, 0.5) << "ended 10 s after its music should have";
    std::printf("[ measured ] a synthesizer hung after two stream buffers: its last chord at %.2f s, the watchdog's "
                "message at %.2f s of the recording (%.2f s later; the music would have ended at %.2f s)\n",
                lastChord, length, length - lastChord, music);
}

TEST_F(RunScenario, JobsThatCannotPlayAreToldAndTheRunGoesOn) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Virtual Synth\nmidiout Broken Synth\nfail out 7\nwavein Virtual Loop\n"}));
    const std::string song = Put("song.mid", QuarterNoteSong(2, 240, 500000));
    const std::string garbage = Put("garbage.mid", std::string("this is no song"));
    solvena::RecordingJob broken = Job(song, PathOf("broken.wav"), 44100, 16, 2, 0);
    broken.midiOutDevice = 1;
    ASSERT_TRUE(LoadList(PutList("stuck.list", {Job(garbage, PathOf("garbage.wav"), 44100, 16, 2, 0), broken,
                                                Job(song, PathOf("no-such-folder\\x.wav"), 44100, 16, 2, 0),
                                                Job(song, PathOf("good.wav"), 44100, 16, 2, 0)})));
    const RunLog log = RecordAndFollow(60000);
    ASSERT_TRUE(log.finished) << "a job that cannot play stopped the run";
    ASSERT_EQ(log.boxes.size(), 4u);
    EXPECT_TRUE(Contains(log.boxes[0].text, "ジョブ 1/4 を録音できませんでした。"));
    EXPECT_TRUE(Contains(log.boxes[0].text, "MIDIファイルを読み込めませんでした。"));
    EXPECT_TRUE(Contains(log.boxes[0].text, "garbage.mid") && Contains(log.boxes[0].text, "garbage.wav"));
    EXPECT_EQ(log.boxes[1].text, AnsiText("メモリ不足です。")) << "the report of the failing call comes first";
    EXPECT_TRUE(Contains(log.boxes[2].text, "ジョブ 2/4 を録音できませんでした。"));
    EXPECT_TRUE(Contains(log.boxes[2].text, "MIDIデバイスで演奏を始められませんでした。"));
    EXPECT_TRUE(Contains(log.boxes[3].text, "ジョブ 3/4 を録音できませんでした。"));
    EXPECT_TRUE(Contains(log.boxes[3].text, "WAVファイルを作成できませんでした。"));
    for (const SeenMessageBox& box : log.boxes) EXPECT_EQ(box.caption, AnsiText("エラー"));
    EXPECT_EQ(RowIcons(), (std::vector<int>{1, 1, 1, 3}));
    EXPECT_EQ(GetFileAttributesA(PathOf("garbage.wav").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(NumberOf(Check("info", {PathOf("broken.wav")}), "valid"), 1) << "its file is completed";
    ExpectRecorded(PathOf("good.wav"), song, 44100, 16, 2, 0);
}

TEST_F(RunScenario, SavedStackLoadsBackRowForRow) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    const std::string song = Put("song.mid", QuarterNoteSong(2, 240, 500000));
    solvena::RecordingJob third = Job(song, PathOf("c.wav"), 96000, 24, 2, 7);
    third.trackEnabled = {};
    third.trackEnabled[0] = third.trackEnabled[5] = third.trackEnabled[63] = 1;
    const std::string original = PutList("original.list", {Job(song, PathOf("a.wav"), 44100, 16, 2, 3),
                                                           Job(song, PathOf("b.wav"), 8000, 8, 1, 0, false), third});
    ASSERT_TRUE(LoadList(original));
    const auto rows = Rows();
    const auto icons = RowIcons();
    ASSERT_EQ(rows.size(), 3u);

    auto notice = ClickForMessageBox(GetDlgItem(JobStack(), 13));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, AnsiText("デバイスは番号で保存されます。"));
    EXPECT_EQ(notice->caption, AnsiText("notice"));
    EXPECT_EQ(notice->buttons, (std::vector<int>{IDOK}));
    ASSERT_TRUE(AnswerMessageBox(*notice, IDOK));
    auto dialog = WaitForFileDialog(Run().processId(), 10000);
    ASSERT_TRUE(dialog) << "no save dialog";
    ASSERT_TRUE(ChooseInFileDialog(*dialog, PathOf("saved.list")));
    Settle(JobStack());

    ASSERT_TRUE(LoadList(PathOf("saved.list"), IDYES));
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(RowIcons(), icons);
    const CheckResult same = Check("same", {original, PathOf("saved.list")});
    EXPECT_EQ(NumberOf(same, "same"), 1) << "the saved file differs from the list it was loaded from";
}

}  // namespace
}  // namespace uidriver
