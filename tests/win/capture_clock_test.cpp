// The capture's own clock through whole jobs: loopback WAVE IN devices whose crystal runs fast or
// slow, and one that delivers nothing for a while. Every note must sound on the frame the tempo map
// gives it in its file, and the run's report must say what it corrected and what was lost.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "engine/CaptureLimits.h"
#include "engine/RunTexts.h"
#include "engine/win32/CaptureClock.h"

namespace solvena::testrun {
namespace {

constexpr double kRate = 44100;

// Quarter notes of an eighth's length over `length` seconds: 120 beats per minute, 100 for the 14
// beats from 8 s, then 120 again; the stream's tempo records must keep to the capture's clock too.
struct ClockSong {
    std::vector<std::uint8_t> bytes;
    std::vector<double> seconds;  // of each note, from the song's start
};

ClockSong MakeClockSong(double length) {
    constexpr std::uint32_t kSlowFrom = 16, kSlowUntil = 30;  // in quarters
    ClockSong song;
    std::vector<test::SongNote> notes;
    for (std::uint32_t q = 0;; ++q) {
        const double at = q <= kSlowFrom    ? 0.5 * q
                          : q <= kSlowUntil ? 8 + 0.6 * (q - kSlowFrom)
                                            : 8 + 0.6 * (kSlowUntil - kSlowFrom) + 0.5 * (q - kSlowUntil);
        if (at >= length) break;
        notes.push_back({q * 480, 240, 0, static_cast<std::uint8_t>(60 + q % 12), 100});
        song.seconds.push_back(at);
    }
    song.bytes = test::SongWithNotes(480, {{0, 500000}, {kSlowFrom * 480, 600000}, {kSlowUntil * 480, 500000}}, notes);
    return song;
}

// Where each note begins in a 16-bit stereo WAV, against its frame: the first sample above the
// silence after its frame less 100 ms, in milliseconds late (negative: early); NaN for a note not
// heard there.
std::vector<double> NoteErrorsMs(const std::string& wav, const std::vector<double>& seconds) {
    const std::string bytes = testfiles::ReadBytes(wav).value_or("");
    const auto sample = [&](std::size_t frame) {
        const std::size_t at = kWavHeaderBytes + frame * 4;
        if (at + 2 > bytes.size()) return 0;
        return std::abs(static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) | bytes[at + 1] << 8)));
    };
    std::vector<double> errors;
    for (double s : seconds) {
        const double frame = s * kRate;
        const auto from = static_cast<std::size_t>(std::max(0.0, frame - 0.1 * kRate));
        const auto until = static_cast<std::size_t>(frame + 0.2 * kRate);
        double found = NAN;
        for (std::size_t f = from; f < until; ++f) {
            if (sample(f) > 64) {
                found = (static_cast<double>(f) - frame) * 1000 / kRate;
                break;
            }
        }
        errors.push_back(found);
    }
    return errors;
}

double Largest(const std::vector<double>& errors, const std::vector<double>& seconds, double from, double until) {
    double largest = 0;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (seconds[i] >= from && seconds[i] < until) largest = std::max(largest, std::abs(errors[i]));
    }
    return largest;
}

const SeenBox* ReportBox() {
    for (const SeenBox& box : boxes) {
        if (box.caption == kRunReportCaption) return &box;
    }
    return nullptr;
}

class CaptureClockRun : public RunHarness {
protected:
    // The run's looks at the capture's clock are timed.
    void SetUpRun(const std::string& devices) {
        RunHarness::SetUpRun(devices);
        TimerTicks::Watch(window, engine::kClockLookTimer);
    }
};

TEST_F(CaptureClockRun, EveryNoteKeepsToAFastOrSlowCapturesClock) {
    const ClockSong song = MakeClockSong(30);
    for (const double ppm : {2000.0, -2000.0}) {
        SCOPED_TRACE(ppm);
        SetUpRun("midiout Synth\nwavein Drifting\n  clock " + std::to_string(ppm) + "\n");
        const std::string midi = TempFile("clock.mid", song.bytes);
        const std::string first = TempName("clock1.wav"), second = TempName("clock2.wav");
        AppendStackedJob(Job(midi, first));
        AppendStackedJob(Job(midi, second));
        const ULONGLONG pressed = GetTickCount64();
        ASSERT_TRUE(RecordAll(120000));
        const double lookMsPerSecond = TimerTicks::totalMs * 1000 / static_cast<double>(GetTickCount64() - pressed);

        const std::vector<double> one = NoteErrorsMs(first, song.seconds), two = NoteErrorsMs(second, song.seconds);
        for (std::size_t i = 0; i < one.size(); ++i) {
            ASSERT_FALSE(std::isnan(one[i]) || std::isnan(two[i])) << "note " << i << " heard";
        }
        const double early = Largest(one, song.seconds, 0, 5), late = Largest(one, song.seconds, 5, 30);
        const double next = Largest(two, song.seconds, 0, 30);
        EXPECT_LE(early, 2.0) << "the first job before the lock has the rate";
        EXPECT_LE(late, 1.0);
        EXPECT_LE(next, 0.5) << "the next job starts on the device's clock";

        // Both files named with the corrected clock, nothing lost.
        const SeenBox* report = ReportBox();
        ASSERT_NE(report, nullptr);
        const std::string lead = std::string("クロック差 ") + (ppm > 0 ? "+" : "-");
        std::vector<double> told;
        for (std::size_t at = report->text.find(lead); at != std::string::npos; at = report->text.find(lead, at + 1)) {
            told.push_back(std::atof(report->text.c_str() + at + lead.size() - 1));
        }
        ASSERT_EQ(told.size(), 2u) << report->text;
        for (double figure : told) EXPECT_NEAR(figure, ppm, 5);
        EXPECT_EQ(report->text.find("途切れて"), std::string::npos) << "no gap without a dropout";
        std::printf("[ measured ] capture clock %+.0f ppm: the first job's notes %.2f ms off their frames before 5 s, "
                    "%.2f ms after; the next job's %.2f ms; told %+.1f and %+.1f ppm (unlocked: %.0f ms at 30 s); the "
                    "looks at the capture took %.3f ms of the user-interface thread a second\n",
                    ppm, early, late, next, told[0], told[1], std::abs(ppm) * 30 / 1000, lookMsPerSecond);
        TearDown();
    }
}

TEST_F(CaptureClockRun, ADropoutIsFilledWithSilenceAndTold) {
    const ClockSong song = MakeClockSong(20);
    SetUpRun("midiout Synth\nwavein Dropping\n  dropout 10500 1500\n");
    const std::string midi = TempFile("dropout.mid", song.bytes);
    const std::string wav = TempName("dropout.wav");
    AppendStackedJob(Job(midi, wav));
    ASSERT_TRUE(RecordAll(60000));

    const std::vector<double> errors = NoteErrorsMs(wav, song.seconds);
    // The capture's first frame came some time before the file's, so the dropout lies a little
    // before 10.5 s of the file: the notes up to it are heard, those in it are not, those after
    // it on their frames.
    const SeenBox* report = ReportBox();
    ASSERT_NE(report, nullptr);
    const std::string lead = "0:10 から ";
    const std::size_t at = report->text.find(lead);
    ASSERT_NE(at, std::string::npos) << report->text;
    const double toldSeconds = std::atof(report->text.c_str() + at + lead.size());
    EXPECT_NEAR(toldSeconds, 1.5, 0.02);
    double afterMs = 0, gapFrom = 0;
    std::size_t silent = 0;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (std::isnan(errors[i])) {
            ++silent;
            gapFrom = gapFrom == 0 ? song.seconds[i] : gapFrom;
        } else if (song.seconds[i] > 12) {
            afterMs = std::max(afterMs, std::abs(errors[i]));
        }
    }
    EXPECT_GE(silent, 1u) << "the notes of the dropout are not there";
    EXPECT_LE(silent, 3u);
    EXPECT_LE(afterMs, 0.5) << "every note after the dropout on its frame";
    EXPECT_LE(Largest(errors, song.seconds, 0, 9.5), 0.5);
    std::printf("[ measured ] dropout of 1.5 s: told %.2f s at 0:10, %zu notes silent from %.1f s, the notes after it "
                "%.3f ms off their frames\n", toldSeconds, silent, gapFrom, afterMs);
}

}  // namespace
}  // namespace solvena::testrun
