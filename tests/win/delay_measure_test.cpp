// Measuring a device pair's delay with the loopback studio, and jobs on pairs of different
// delays lining up. Loopback devices, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "RunHarness.h"
#include "engine/CaptureLimits.h"
#include "engine/PairDelays.h"
#include "engine/win32/Capture.h"
#include "engine/win32/DelayMeasure.h"
#include "engine/win32/Playback.h"

namespace solvena::testrun {
namespace {

// Frames of a 16-bit stereo WAV where the left channel starts to sound after 20 ms of silence.
std::vector<long> NoteFrames(const std::string& wav) {
    const std::string bytes = testfiles::ReadBytes(wav).value_or("");
    std::vector<long> notes;
    long quiet = 882;
    for (std::size_t at = kWavHeaderBytes; at + 4 <= bytes.size(); at += 4) {
        const int sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) | bytes[at + 1] << 8);
        if (std::abs(sample) <= 64) {
            ++quiet;
            continue;
        }
        if (quiet >= 882) notes.push_back(static_cast<long>((at - kWavHeaderBytes) / 4));
        quiet = 0;
    }
    return notes;
}

class DelayMeasure : public RunHarness {
protected:
    std::optional<DelayMeasurement> Measure(std::uint32_t midiOut) {
        return engine::MeasurePairDelay({midiOut, 0, 44100, 16, 2}, window);
    }
    // The delays file of a start folder in the temporary folder, which the run reads; empty.
    std::string StartFolderDelays() {
        startFolder = testfiles::TempPath("");
        const std::string delays = DelaysPath(startFolder);
        DeleteFileA(delays.c_str());
        files.push_back(delays);
        engine::MainWindowLink link = engine::CurrentMainWindowLink();
        link.startFolder = startFolder.c_str();
        engine::SetMainWindowLink(link);
        return delays;
    }
    // One job of `song` on each MIDI OUT device, into WAV files named after `name`.
    std::vector<std::string> StackOnEachDevice(const std::string& song, const std::string& name, int reverbSeconds) {
        std::vector<std::string> wavs;
        for (int device : {0, 1}) {
            wavs.push_back(TempName(name + std::to_string(device) + ".wav"));
            RecordingJob job = Job(song, wavs.back());
            job.midiOutDevice = device;
            job.reverbSeconds = reverbSeconds;
            AppendStackedJob(job);
        }
        return wavs;
    }
    std::string startFolder;
};

TEST_F(DelayMeasure, TheStudiosLatencyComesBackToATenthOfAMillisecond) {
    for (int latency : {0, 5, 17, 23, 120}) {
        SCOPED_TRACE(latency);
        SetUpRun("midiout Synth\n  latency " + std::to_string(latency) + "\nwavein Loop\n  startdelay 200-900\n");
        const ULONGLONG start = GetTickCount64();
        const std::optional<DelayMeasurement> result = Measure(0);
        const ULONGLONG took = GetTickCount64() - start;
        ASSERT_TRUE(result);
        EXPECT_EQ(result->verdict, DelayVerdict::measured);
        EXPECT_NEAR(result->delayMs, latency, 0.05);
        EXPECT_TRUE(boxes.empty()) << boxes.front().text;
        std::printf("[ measured ] latency %d ms: measured %.3f ms, spread %.3f ms, in %llu ms\n", latency,
                    result->delayMs, result->spreadMs, static_cast<unsigned long long>(took));
        DestroyWindow(window);
        window = nullptr;
    }
}

// An input's own offset and noise, as the device records them, are not taken for notes: under a
// 17 ms synthesizer they are measured through, and a device that hears only them keeps nothing.
TEST_F(DelayMeasure, AnInputsOwnOffsetAndNoiseAreNoNotes) {
    const std::string devices = "midiout Synth\n  latency 17\nwavein Loop\n  dc -0.6\n  noise -65\n";
    for (const auto& [file, verdict] : {std::pair{devices, DelayVerdict::measured},
                                        std::pair{devices + "  deaf\n", DelayVerdict::drowned}}) {
        SCOPED_TRACE(file);
        SetUpRun(file);
        const std::optional<DelayMeasurement> result = Measure(0);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->verdict, verdict);
        EXPECT_NEAR(result->delayMs, verdict == DelayVerdict::measured ? 17 : 0, 0.05);
        EXPECT_EQ(result->heard, verdict == DelayVerdict::measured ? 5 : 0);
        std::printf("[ measured ] dc -0.6 %%, noise -65 dBFS%s: verdict %d, %d of 5 heard, %.3f ms\n",
                    verdict == DelayVerdict::drowned ? ", deaf" : "", static_cast<int>(result->verdict), result->heard,
                    result->delayMs);
        DestroyWindow(window);
        window = nullptr;
    }
}

TEST_F(DelayMeasure, ADeviceThatCannotStartIsReportedAndMeasuresNothing) {
    SetUpRun("midiout Synth\nwavein Loop\nfail start 7\n");
    EXPECT_FALSE(Measure(0));
    ASSERT_EQ(boxes.size(), 1u) << "the failing call's report";
    EXPECT_FALSE(engine::Capturing() || engine::Playing()) << "everything closed again";
}

// 録音 pressed while the delay is measured starts nothing: the measurement holds the devices and
// buffers a run would use, and the job stack window waits for it.
TEST_F(DelayMeasure, RecordDuringAMeasurementStartsNothing) {
    SetUpRun("midiout Synth\n  latency 5\nwavein Loop\n");
    const std::string wav = TempName("during.wav");
    AppendStackedJob(Job(TempFile("during.mid", test::QuarterNoteSong(2, 120, 500000)), wav));
    static HWND stack;
    static int stackEnabled;
    stack = window;
    stackEnabled = -1;
    SetTimer(nullptr, 0, 800, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        stackEnabled = IsWindowEnabled(stack);
        SendMessageA(stack, WM_COMMAND, engine::kRecordCommand, 0);
    });
    const std::optional<DelayMeasurement> result = engine::MeasurePairDelay({0, 0, 44100, 16, 2}, nullptr);
    ASSERT_TRUE(result && result->verdict == DelayVerdict::measured);
    EXPECT_NEAR(result->delayMs, 5, 0.05);
    EXPECT_EQ(stackEnabled, FALSE) << "the job stack window waited during the measurement";
    EXPECT_TRUE(IsWindowEnabled(window));
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(progress.empty()) << "a run started during the measurement";
    EXPECT_EQ(GetFileAttributesA(wav.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A file on a measured pair starts the pair's delay later, so its tail runs that much longer: with
// no reverb the last note's release is all there, as on a pair without a delay.
TEST_F(DelayMeasure, TheTailRunsAsMuchLongerAsTheFileStartsLater) {
    SetUpRun("midiout Late\n  latency 150\nmidiout Prompt\nwavein Loop\n");
    ASSERT_TRUE(testfiles::WriteBytes(StartFolderDelays(), "Late\tLoop\t150000\r\n"));
    const std::vector<std::string> wavs =
        StackOnEachDevice(TempFile("tail.mid", test::QuarterNoteSong(2, 120, 500000)), "tail", 0);
    ASSERT_TRUE(RecordAll(30000));
    const double late = (testfiles::ReadBytes(wavs[0]).value_or("").size() - double{kWavHeaderBytes}) / 4 / 44.1;
    const double prompt = (testfiles::ReadBytes(wavs[1]).value_or("").size() - double{kWavHeaderBytes}) / 4 / 44.1;
    EXPECT_NEAR(late, prompt, 40) << "milliseconds of sound in each file";
    const std::vector<long> notes = NoteFrames(wavs[0]);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_LE(notes[0], 1) << "the first note on the file's first frame";
}

TEST_F(DelayMeasure, JobsOnPairsOfDifferentDelaysLineUp) {
    SetUpRun("midiout Drums\n  latency 5\nmidiout Strings\n  latency 23\nwavein Loop\n  startdelay 200-900\n");
    const std::string delays = StartFolderDelays();
    for (std::uint32_t device : {0u, 1u}) {
        const std::optional<DelayMeasurement> result = Measure(device);
        ASSERT_TRUE(result && result->verdict == DelayVerdict::measured);
        ASSERT_TRUE(engine::KeepPairDelay(delays, device, 0, static_cast<std::uint32_t>(result->delayMs * 1000 + 0.5)));
    }
    EXPECT_NEAR(DelayOfPair(ReadPairDelays(delays), "Strings", "Loop").value_or(0), 23000, 50);

    const std::vector<std::string> wavs =
        StackOnEachDevice(TempFile("notes.mid", test::QuarterNoteSong(6, 120, 500000)), "pair", 0);
    ASSERT_TRUE(RecordAll(60000));
    const std::vector<long> drums = NoteFrames(wavs[0]);
    const std::vector<long> strings = NoteFrames(wavs[1]);
    ASSERT_EQ(drums.size(), 6u);
    ASSERT_EQ(strings.size(), drums.size());
    long worst = 0;
    for (std::size_t k = 0; k < drums.size(); ++k) worst = std::max(worst, std::abs(drums[k] - strings[k]));
    // Each file's first frame is placed to a frame, and a sine's first sample may fall below the
    // note finder's level: two files agree to two frames (45 us).
    EXPECT_LE(worst, 2) << "first notes at " << drums[0] << " and " << strings[0];
    std::printf("[ measured ] latencies 5 and 23 ms, measured first: notes at most %ld frames apart\n", worst);
}

}  // namespace
}  // namespace solvena::testrun
