// The delay measurement's onset finder on synthetic takes, and the file that keeps the delays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/DelayTakes.h"
#include "engine/DelayTexts.h"
#include "engine/OnsetFinder.h"
#include "engine/PairDelays.h"

namespace solvena {
namespace {

// What the input records besides the notes, and how loud the notes are, against full scale.
struct Input {
    double noiseDbfs = -80;  // Gaussian white noise, RMS
    double dc = 0;
    double humPeak = 0;  // 50 Hz
    double notePeak = 0.5;
};

double Level(double dbfs) { return std::pow(10.0, dbfs / 20); }

// A take of `seconds` of the input, with a sharp, decaying 2 kHz note at each frame of `clicks`.
std::vector<std::uint8_t> Take(const TakeFormat& format, double seconds, const std::vector<std::uint64_t>& clicks,
                               const Input& input = {}) {
    const auto frames = static_cast<std::size_t>(seconds * format.rate);
    std::vector<double> signal(frames);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, Level(input.noiseDbfs));
    for (std::size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / format.rate;
        signal[f] = input.dc + input.humPeak * std::sin(2 * M_PI * 50 * t) + noise(random);
    }
    for (std::uint64_t click : clicks) {
        for (std::size_t f = click; f < frames && f < click + format.rate / 10; ++f) {
            const double t = static_cast<double>(f - click) / format.rate;
            signal[f] += input.notePeak * std::exp(-t / 0.02) * std::sin(2 * M_PI * 2000 * t + 0.3);
        }
    }
    const unsigned bytes = (format.bitsPerSample + 7u) / 8u;
    std::vector<std::uint8_t> pcm;
    for (double s : signal) {
        for (unsigned c = 0; c < format.channels; ++c) {
            const auto value = static_cast<std::int64_t>(std::lround(s * (std::ldexp(1.0, 8 * bytes - 1) - 1)));
            const std::uint64_t code = bytes == 1 ? static_cast<std::uint64_t>(value + 128) : static_cast<std::uint64_t>(value);
            for (unsigned b = 0; b < bytes; ++b) pcm.push_back(static_cast<std::uint8_t>(code >> (8 * b)));
        }
    }
    return pcm;
}

// Five notes half a second apart, 17 ms late (or not played at all) over what real inputs record
// anyway: a DC offset, hum and noise. Only notes that stand out of that, after a quiet, give a delay.
TEST(OnsetFinder, NotesAreJudgedAgainstWhatTheInputRecordsAnyway) {
    const TakeFormat cd{44100, 16, 2};
    const TakeFormat phone{8000, 8, 1};
    using Late = std::vector<double>;
    struct Case {
        const char* what;
        TakeFormat format;
        Input input;
        Late lateMs;  // each note's delay, the last one given for the notes after it; none: not played
        DelayVerdict verdict;
        int heard;
    } const cases[] = {
        {"8-bit input resting at 127", phone, {-200, -1.0 / 127}, {}, DelayVerdict::notHeard, 0},
        {"DC at -54 dBFS", cd, {-200, Level(-54)}, {}, DelayVerdict::notHeard, 0},
        {"noise at -65 dBFS", cd, {-65}, {}, DelayVerdict::drowned, 0},
        {"hum at -30 dBFS", cd, {-200, 0, Level(-30)}, {}, DelayVerdict::drowned, 0},
        {"DC at -44 dBFS under a note at -26 dBFS", cd, {-200, Level(-44), 0, Level(-26)}, {17}, DelayVerdict::measured, 5},
        {"noise at -65 dBFS under a note at -26 dBFS", cd, {-65, 0, 0, Level(-26)}, {17}, DelayVerdict::measured, 5},
        {"DC and hum under a note", cd, {-90, -Level(-44), Level(-46), Level(-6)}, {17}, DelayVerdict::measured, 5},
        {"hum at -30 dBFS over a note at -26 dBFS", cd, {-200, 0, Level(-30), Level(-26)}, {17}, DelayVerdict::drowned, 0},
        {"a note sounding before it was played", cd, {}, {17, 17, -1, 17}, DelayVerdict::drowned, 4},
        {"notes at once, their frames placed a little late", cd, {}, {-0.05}, DelayVerdict::measured, 5},
        {"8-bit input resting at 127 under a note", phone, {-200, -1.0 / 127}, {17}, DelayVerdict::measured, 5},
        {"96 kHz 24-bit with DC and noise", {96000, 24, 2}, {-100, Level(-50)}, {17}, DelayVerdict::measured, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint64_t> notes, clicks;
        for (std::uint64_t k = 1; k <= 5; ++k) notes.push_back(k * c.format.rate / 2);
        for (std::size_t k = 0; k < notes.size() && !c.lateMs.empty(); ++k) {
            const double late = c.lateMs[std::min(k, c.lateMs.size() - 1)];
            clicks.push_back(notes[k] + static_cast<std::uint64_t>(std::lround(late / 1000 * c.format.rate)));
        }
        const DelayMeasurement result = MeasureDelay(Take(c.format, 3.5, clicks, c.input), c.format, notes);
        std::printf("[ measured ] %s: verdict %d, %d of 5 heard, %.3f ms, spread %.3f ms\n", c.what,
                    static_cast<int>(result.verdict), result.heard, result.delayMs, result.spreadMs);
        EXPECT_EQ(result.verdict, c.verdict);
        EXPECT_EQ(result.heard, c.heard);
        if (c.verdict == DelayVerdict::measured) {
            EXPECT_NEAR(result.delayMs, std::max(c.lateMs.back(), 0.0), 1000.0 / c.format.rate + 0.01);
        }
    }
}

TEST(OnsetFinder, FiveNotesGiveTheirDelayUnlessOneIsMissingOrLate) {
    const TakeFormat format{44100, 16, 2};
    std::vector<std::uint64_t> notes;
    for (std::uint64_t k = 1; k <= 5; ++k) notes.push_back(k * 22050);
    const std::uint64_t delay = 750;  // 17.0 ms
    auto delayed = [&](std::uint64_t lateFrames, std::size_t late) {
        std::vector<std::uint64_t> clicks;
        for (std::size_t k = 0; k < notes.size(); ++k) clicks.push_back(notes[k] + delay + (k == late ? lateFrames : 0));
        return clicks;
    };

    const DelayMeasurement steady = MeasureDelay(Take(format, 3.5, delayed(0, 0)), format, notes);
    EXPECT_EQ(steady.verdict, DelayVerdict::measured);
    EXPECT_NEAR(steady.delayMs, 17.0, 0.05);
    EXPECT_LT(steady.spreadMs, 0.05);

    const DelayMeasurement late = MeasureDelay(Take(format, 3.5, delayed(132, 3)), format, notes);  // 3 ms late
    EXPECT_EQ(late.verdict, DelayVerdict::unsteady);
    EXPECT_NEAR(late.spreadMs, 3.0, 0.05);

    const DelayMeasurement silent = MeasureDelay(Take(format, 3.5, {}), format, notes);
    EXPECT_EQ(silent.verdict, DelayVerdict::notHeard);
    EXPECT_EQ(silent.heard, 0);
    std::vector<std::uint64_t> four = delayed(0, 0);
    four.pop_back();
    EXPECT_EQ(MeasureDelay(Take(format, 3.5, four), format, notes).verdict, DelayVerdict::notHeard);
}

// A synthesizer that sounds each note on its next output block: the second take's sixteen notes
// keep their median delay when they stay within the jitter limit.
TEST(OnsetFinder, AJitteringDeviceKeepsItsMedianDelay) {
    const TakeFormat format{44100, 16, 2};
    struct Case {
        double jitterMs;  // the notes come 17 ms late plus 0, 1, ..., 15 sixteenths of this
        bool accepted;
        DelayVerdict verdict;
        double delayMs;
    } const cases[] = {
        {6.0, true, DelayVerdict::jittery, 17.0 + 6.0 * 7.5 / 16},
        {6.0, false, DelayVerdict::unsteady, 17.0 + 6.0 * 7.5 / 16},
        {1.5, true, DelayVerdict::measured, 17.0 + 1.5 * 7.5 / 16},
        {24.0, true, DelayVerdict::unsteady, 17.0 + 24.0 * 7.5 / 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.jitterMs);
        std::vector<std::uint64_t> notes, clicks;
        for (std::uint64_t k = 1; k <= 16; ++k) {
            notes.push_back(k * 11025);
            // Out of order, as the blocks fall: the median is not the middle note.
            const double late = 17.0 + c.jitterMs * static_cast<double>((k * 7) % 16) / 16;
            clicks.push_back(notes.back() + static_cast<std::uint64_t>(std::lround(late * 44.1)));
        }
        const DelayMeasurement result = MeasureDelay(Take(format, 4.5, clicks), format, notes, c.accepted);
        EXPECT_EQ(result.verdict, c.verdict);
        EXPECT_EQ(result.heard, 16);
        EXPECT_NEAR(result.delayMs, c.delayMs, 0.05);
        EXPECT_NEAR(result.spreadMs, c.jitterMs * 15 / 16, 0.05);
    }
}

// A jittering device as late as the first take can hear: the second take's notes are spaced so
// that each still falls into its own window, and its median and farthest note come back.
TEST(DelayTakes, TheSecondTakeMeasuresEveryDelayTheFirstTakeHeard) {
    const TakeFormat format{44100, 16, 1};
    constexpr double kJitterMs = 8;
    // The notes of a take come `lateMs` plus the squares of 0, 1, ..., 15 sixteenths of the jitter
    // late, out of order: most lie early, a few far later, so the median lies nearer the earliest.
    auto late = [](double lateMs, int k) {
        const double share = static_cast<double>((k * 7) % 16) / 16;
        return lateMs + kJitterMs * share * share;
    };
    const double medianShare = (7.0 * 7 + 8 * 8) / 2 / 256, latestShare = 15.0 * 15 / 256;
    auto measure = [&](const TakePlan& plan, double lateMs) {
        std::vector<std::uint64_t> notes, clicks;
        for (int k = 1; k <= plan.notes; ++k) {
            notes.push_back(static_cast<std::uint64_t>(std::lround(SpacingMs(plan) * k * 44.1)));
            clicks.push_back(notes.back() + static_cast<std::uint64_t>(std::lround(late(lateMs, k) * 44.1)));
        }
        return MeasureDelay(Take(format, TakeSeconds(plan), clicks), format, notes, plan.jitterAccepted);
    };
    for (const double lateMs : {17.0, 140.0, 300.0, 480.0}) {
        SCOPED_TRACE(lateMs);
        const DelayMeasurement first = measure(kSteadyTake, lateMs);
        ASSERT_EQ(first.verdict, DelayVerdict::unsteady);
        const TakePlan plan = JitterTake(first);
        EXPECT_EQ(plan.notes, 16);
        EXPECT_GE(SpacingMs(plan), 250.0);
        const DelayMeasurement second = measure(plan, lateMs);
        EXPECT_EQ(second.verdict, DelayVerdict::jittery);
        EXPECT_EQ(second.heard, 16);
        EXPECT_NEAR(second.delayMs, lateMs + kJitterMs * medianShare, 0.05);
        // The latest note lies farther from the median than half the spread.
        EXPECT_NEAR(FarthestNoteMs(second), kJitterMs * (latestShare - medianShare), 0.05);
        EXPECT_LE(TakeSeconds(plan), TakeSeconds(LongestJitterTake()));
    }
}

TEST(PairDelaysFile, ReadsPairsWithBlanksSkipsBadLinesAndReplacesOnePair) {
    const std::string text =
        "Sound Module A\tLine In (USB)\t5000\r\n"
        "no tabs at all\r\n"
        "Synth\tMic\t-3\r\n"
        "Synth\tMic\t1000001\r\n"
        "\tMic\t10\n"
        "Drums 2\tLine In (USB)\t23000\n";
    const std::vector<PairDelay> delays = ParsePairDelays(text);
    ASSERT_EQ(delays.size(), 2u);
    EXPECT_EQ(DelayOfPair(delays, "Sound Module A", "Line In (USB)"), 5000u);
    EXPECT_EQ(DelayOfPair(delays, "Drums 2", "Line In (USB)"), 23000u) << "an LF-ended last line";
    EXPECT_FALSE(DelayOfPair(delays, "Sound Module A", "Mic"));
    EXPECT_FALSE(DelayOfPair(delays, "Sound Module", "A\tLine In (USB)"));

    const std::string replaced = WithPairDelay(text, {"Sound Module A", "Line In (USB)", 17000});
    EXPECT_EQ(replaced,
              "Sound Module A\tLine In (USB)\t17000\r\nno tabs at all\r\nSynth\tMic\t-3\r\nSynth\tMic\t1000001\r\n"
              "\tMic\t10\r\nDrums 2\tLine In (USB)\t23000\r\n")
        << "every other line kept as it was";
    const std::string added = WithPairDelay(replaced, {"Synth", "Mic", 0});
    EXPECT_EQ(DelayOfPair(ParsePairDelays(added), "Synth", "Mic"), 0u);
    EXPECT_EQ(ParsePairDelays(added).size(), 3u);
    EXPECT_EQ(WithPairDelay("", {"A", "B", 1}), "A\tB\t1\r\n");
}

// A pair whose name holds a TAB, CR or LF is not kept: its line would never read back, and every
// measurement would add another.
TEST(PairDelaysFile, OnlyPairsALineCanHoldAreKept) {
    const std::pair<PairDelay, bool> cases[] = {
        {{"Synth 1 ", "Line In (\x83\x5C)", 5}, true},  // blanks and a code page 932 name
        {{"Synth\t1", "Mic", 5}, false},
        {{"Synth", "Mic\r", 5}, false},
        {{"Synth", "Mic\nB", 5}, false},
    };
    for (const auto& [delay, fits] : cases) {
        EXPECT_EQ(PairFitsALine(delay), fits) << delay.midiOut << "/" << delay.waveIn;
        if (fits) {
            EXPECT_EQ(DelayOfPair(ParsePairDelays(WithPairDelay("", delay)), delay.midiOut, delay.waveIn), 5u);
        }
    }
}

TEST(PairDelaysFile, LiesInTheStartFolder) {
    EXPECT_EQ(DelaysPath("C:\\songs"), "C:\\songs\\delays.ini");
    EXPECT_EQ(DelaysPath("C:\\songs\\"), "C:\\songs\\delays.ini");
    EXPECT_EQ(DelaysPath("C:\\\x83\x5C"), "C:\\\x83\x5C\\delays.ini") << "the second byte of a character";
    EXPECT_EQ(DelaysPath(""), "");
}

}  // namespace
}  // namespace solvena
