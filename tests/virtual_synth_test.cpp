#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

#include "loopback/VirtualSynth.h"
#include "support/StreamRecords.h"

namespace solvena::devices {
namespace {

using test::ShortMessage;

constexpr std::uint32_t kRate = 48000;

// The sine a voice plays, written out here rather than taken from the synth.
double Sine(std::uint8_t note, std::uint8_t velocity, double on, double t) {
    const double frequency = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    return velocity / 127.0 * 0.25 * std::sin(2 * std::numbers::pi * frequency * (t - on));
}

double Fade(double off, double t) { return t < off ? 1.0 : std::max(0.0, 1.0 - (t - off) / 0.005); }

// Renders `frames` frames from `start` and compares each with expected(t).
void ExpectOutput(const VirtualSynth& synth, double start, std::size_t frames, const std::function<double(double)>& expected) {
    std::vector<double> out(frames);
    synth.Render(FrameClock(start, kRate), 0, out);
    for (std::size_t k = 0; k < frames; ++k) {
        const double t = start + static_cast<double>(k) / kRate;
        ASSERT_NEAR(out[k], expected(t), 1e-12) << "frame " << k;
    }
}

TEST(VirtualSynth, NoteOnsStartAnExactSineAtTheirOwnTime) {
    struct Case {
        std::uint8_t channel, note, velocity;
        double on;
    };
    for (const Case& c : {Case{0, 69, 127, 0.0104}, Case{9, 60, 64, 0.01}, Case{15, 127, 1, 0.0200001}, Case{3, 0, 100, 0.03}}) {
        SCOPED_TRACE(int{c.note});
        VirtualSynth synth;
        synth.Schedule(c.on, ShortMessage(0x90 | c.channel, c.note, c.velocity), 1);
        synth.Apply(1.0);
        ExpectOutput(synth, 0.01, 2400, [&](double t) { return t < c.on ? 0.0 : Sine(c.note, c.velocity, c.on, t); });
    }
}

TEST(VirtualSynth, EveryKindOfNoteEndReleasesOverFiveMilliseconds) {
    struct Case {
        std::uint32_t message;
        bool restarts;  // a new voice of the same note starts at the release
    };
    for (const Case& c : {Case{ShortMessage(0x82, 57, 0), false}, Case{ShortMessage(0x92, 57, 0), false},
                          Case{ShortMessage(0x92, 57, 90), true}}) {
        SCOPED_TRACE(c.message);
        VirtualSynth synth;
        synth.Schedule(0.0, ShortMessage(0x92, 57, 127), 1);
        synth.Schedule(0.1, c.message, 1);
        synth.Schedule(0.1, ShortMessage(0x82, 58, 0), 1);  // another note's end changes nothing
        synth.Apply(1.0);
        ExpectOutput(synth, 0.095, 960, [&](double t) {
            return Sine(57, 127, 0, t) * Fade(0.1, t) + (c.restarts && t >= 0.1 ? Sine(57, 90, 0.1, t) : 0.0);
        });
        synth.Prune(0.1049);  // still releasing
        EXPECT_EQ(synth.VoiceCount(), c.restarts ? 2u : 1u);
        synth.Prune(0.1051);
        EXPECT_EQ(synth.VoiceCount(), c.restarts ? 1u : 0u);
    }
}

TEST(VirtualSynth, ControllersSilenceTheirChannelAtOnce) {
    for (std::uint8_t controller : {120, 123}) {
        VirtualSynth synth;
        synth.Schedule(0.0, ShortMessage(0x90, 60, 100), 1);
        synth.Schedule(0.0, ShortMessage(0x91, 64, 100), 1);
        synth.Schedule(0.05, ShortMessage(0xB0, 7, 0), 1);  // volume: only logged
        synth.Schedule(0.05, ShortMessage(0xB0, controller, 0), 1);
        synth.Apply(1.0);
        ExpectOutput(synth, 0.04, 960,
                     [](double t) { return (t < 0.05 ? Sine(60, 100, 0, t) : 0.0) + Sine(64, 100, 0, t); });
    }
}

TEST(VirtualSynth, TheSumIsClippedAtFullScale) {
    VirtualSynth synth;
    for (std::uint8_t channel = 0; channel < 6; ++channel) synth.Schedule(0, ShortMessage(0x90 | channel, 69, 127), 1);
    synth.Apply(0);
    ExpectOutput(synth, 0, 480, [](double t) { return std::clamp(6 * Sine(69, 127, 0, t), -1.0, 1.0); });
    std::vector<double> out(480);
    synth.Render(FrameClock(0, kRate), 0, out);
    EXPECT_EQ(std::pair(*std::min_element(out.begin(), out.end()), *std::max_element(out.begin(), out.end())), std::pair(-1.0, 1.0));
}

TEST(VirtualSynth, CancelStopsOneSourceAndTheLogKeepsDueTimeOrder) {
    VirtualSynth synth;
    synth.Schedule(0.0, ShortMessage(0x90, 69, 127), 1);
    synth.Schedule(0.5, ShortMessage(0x90, 72, 127), 1);
    synth.Schedule(1.0, ShortMessage(0x80, 69), 1);
    synth.Schedule(0.6, ShortMessage(0xC1, 3), 2);
    synth.Schedule(0.1, ShortMessage(0x91, 76, 127), 2);
    synth.Schedule(0.6, ShortMessage(0xB1, 7, 9), 2);  // same time: after the one scheduled first
    synth.Cancel(1, 0.3, 0.3);
    synth.Apply(2.0);
    std::vector<std::pair<double, std::uint32_t>> played;
    for (const PlayedMessage& p : synth.TakePlayed()) played.emplace_back(p.time, p.message);
    EXPECT_EQ(played, (std::vector<std::pair<double, std::uint32_t>>{{0.0, ShortMessage(0x90, 69, 127)},
                                                                   {0.1, ShortMessage(0x91, 76, 127)},
                                                                   {0.6, ShortMessage(0xC1, 3)},
                                                                   {0.6, ShortMessage(0xB1, 7, 9)}}));
    EXPECT_TRUE(synth.TakePlayed().empty());
    ExpectOutput(synth, 0.29, 960, [](double t) { return Sine(69, 127, 0, t) * Fade(0.3, t) + Sine(76, 127, 0.1, t); });
}

// What a stream re-times it takes back: only its own messages after the time; its voices sound on.
TEST(VirtualSynth, UnscheduleTakesBackOneSourcesLaterMessagesOnly) {
    VirtualSynth synth;
    synth.Schedule(0.0, ShortMessage(0x90, 69, 127), 1);
    synth.Schedule(0.2, ShortMessage(0x90, 72, 127), 1);  // at the time: kept
    synth.Schedule(0.3, ShortMessage(0x80, 69), 1);
    synth.Schedule(0.4, ShortMessage(0x91, 76, 127), 2);
    synth.Apply(0.1);
    synth.Unschedule(1, 0.2);
    synth.Apply(1.0);
    EXPECT_EQ(synth.TakePlayed().size(), 3u);
    synth.Prune(1.0);
    EXPECT_EQ(synth.VoiceCount(), 3u) << "none released";
}

}  // namespace
}  // namespace solvena::devices
