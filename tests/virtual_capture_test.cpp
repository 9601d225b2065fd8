#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/FormatProbe.h"
#include "loopback/VirtualCapture.h"
#include "support/StreamRecords.h"

namespace solvena::devices {
namespace {

constexpr std::uint32_t kRate = 1000;  // frame k at start + k ms

// 16-bit stereo at 1000 frames per second, with a 440 Hz note from time 0.
struct CaptureFixture : ::testing::Test {
    VirtualSynth synth;
    VirtualCapture capture{PcmFormat(2, kRate, 16)};
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<WaveHeader> headers;
    std::vector<WaveHeader*> done;

    void SetUp() override {
        synth.Schedule(0, test::ShortMessage(0x90, 69, 127), 1);
        synth.Apply(0);
    }

    // Prepared and queued buffers of these lengths.
    void Buffers(std::vector<std::uint32_t> lengths) {
        blocks.assign(lengths.size(), {});
        headers.assign(lengths.size(), WaveHeader{});
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            blocks[i].assign(lengths[i], 0xEE);
            headers[i].data = blocks[i].data();
            headers[i].bufferLength = lengths[i];
            ASSERT_EQ(VirtualCapture::Prepare(&headers[i]), kMmNoError);
            ASSERT_EQ(capture.Add(&headers[i]), kMmNoError);
        }
    }

    std::vector<std::size_t> DoneIndices() const {
        std::vector<std::size_t> indices;
        for (const WaveHeader* header : done) indices.push_back(static_cast<std::size_t>(header - headers.data()));
        return indices;
    }

    // Frame `at` of block `block` holds capture frame `frame` of the note, in both channels.
    void ExpectFrame(std::size_t block, std::size_t at, std::uint64_t frame) const {
        const std::int16_t expected = NoteAt(static_cast<double>(frame) / kRate);
        for (std::size_t byte : {0, 2}) EXPECT_EQ(Sample(blocks[block], at * 4 + byte), expected) << "frame " << frame;
    }

    // The note as a 16-bit sample at studio time t.
    static std::int16_t NoteAt(double t) {
        return static_cast<std::int16_t>(std::lround(0.25 * std::sin(2 * std::numbers::pi * 440 * t) * 32767));
    }
    static std::int16_t Sample(const std::vector<std::uint8_t>& block, std::size_t byte) {
        return static_cast<std::int16_t>(block[byte] | block[byte + 1] << 8);
    }

    // A mono 16-bit capture with one buffer of `frames` queued.
    void Mono(VirtualCapture& own, std::uint32_t frames) {
        blocks.assign(1, std::vector<std::uint8_t>(2 * frames));
        headers.assign(1, WaveHeader{});
        headers[0].data = blocks[0].data();
        headers[0].bufferLength = 2 * frames;
        ASSERT_EQ(VirtualCapture::Prepare(&headers[0]), kMmNoError);
        ASSERT_EQ(own.Add(&headers[0]), kMmNoError);
    }
};

TEST_F(CaptureFixture, BuffersFillInOrderAndComeBackWhenNoWholeFrameFits) {
    Buffers({10, 8, 400});
    EXPECT_EQ(capture.Advance(synth, 1.0, done), 0u);  // not started
    capture.Start(0.0);
    EXPECT_EQ(capture.Advance(synth, 0.0025, done), 0u);  // frames 0, 1 and 2 are due
    EXPECT_EQ(DoneIndices(), std::vector<std::size_t>{0});
    EXPECT_EQ(headers[0].bytesRecorded, 8u);
    EXPECT_EQ(headers[0].flags, kHeaderPrepared | kHeaderDone);
    EXPECT_EQ(blocks[0][8], 0xEE);  // no room for a frame: left alone
    EXPECT_EQ(headers[1].flags, kHeaderPrepared | kWaveHeaderInQueue);
    EXPECT_EQ(capture.Add(&headers[1]), kWaveStillPlaying);
    EXPECT_EQ(VirtualCapture::Unprepare(&headers[1]), kWaveStillPlaying);

    capture.Advance(synth, 0.0030, done);  // frame 3 is due at 0.003, not before it
    EXPECT_EQ(headers[1].bytesRecorded, 4u);
    capture.Advance(synth, 0.0051, done);
    EXPECT_EQ(DoneIndices(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(headers[2].bytesRecorded, 8u);
    for (std::uint64_t frame = 0; frame < 6; ++frame) ExpectFrame(frame / 2, frame % 2, frame);
}

TEST_F(CaptureFixture, FramesWithoutABufferAreLostAndTheRestKeepTheirTimes) {
    capture.Start(0.0);
    EXPECT_EQ(capture.Advance(synth, 0.0105, done), 11u);
    Buffers({400});
    EXPECT_EQ(capture.Advance(synth, 0.0155, done), 0u);
    EXPECT_EQ(headers[0].bytesRecorded, 20u);
    for (std::size_t i = 0; i < 5; ++i) ExpectFrame(0, i, 11 + i);
}

// What the device records less the note: its offset and noise, and nothing of the note when deaf.
TEST_F(CaptureFixture, ItsInputAddsAnOffsetAndNoiseAndADeafOneHearsNoSynth) {
    const double noise = std::pow(10.0, -40.0 / 20);
    for (const bool deaf : {false, true}) {
        SCOPED_TRACE(deaf);
        VirtualCapture own{PcmFormat(1, kRate, 16), {-0.006, noise, deaf}};
        std::vector<std::uint8_t> block(2000);
        WaveHeader header;
        header.data = block.data();
        header.bufferLength = 2000;
        ASSERT_EQ(VirtualCapture::Prepare(&header), kMmNoError);
        ASSERT_EQ(own.Add(&header), kMmNoError);
        own.Start(0.0);
        own.Advance(synth, 1.0, done);
        ASSERT_EQ(header.bytesRecorded, 2000u);
        double sum = 0, squares = 0;
        for (std::size_t f = 0; f < 1000; ++f) {
            const double note = deaf ? 0 : 0.25 * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(f) / kRate);
            const double extra = static_cast<std::int16_t>(block[2 * f] | block[2 * f + 1] << 8) / 32767.0 - note;
            sum += extra;
            squares += extra * extra;
        }
        const double mean = sum / 1000;
        EXPECT_NEAR(mean, -0.006, 0.001);
        EXPECT_NEAR(std::sqrt(squares / 1000 - mean * mean), noise, noise / 10);
    }
}

// Frames arrive at the device's own ticks and none from a dropout, however the capture is
// rendered; the position counts what arrived, standing still through a dropout.
TEST_F(CaptureFixture, FramesArriveAtTheDevicesTicksAndNoneFromADropout) {
    struct Case {
        DeviceClock clock;  // dropouts from the first frame, at 2 s
        std::vector<std::pair<double, std::uint64_t>> positions;  // studio time, frames; the last ends the capture
    };
    const Case cases[] = {
        {{2000, {}}, {{2.5, 501}, {3.0, 1002}}},  // 1,002 ticks a second
        {{-2000, {}}, {{3.0, 998}}},
        {{0.5, {}}, {{3.0, 1001}}},
        {{0, {{0.1005, 0.05}}}, {{2.1, 100}, {2.12, 101}, {2.15, 101}, {2.3, 250}}},
        {{0, {{0.1205, 0.05}, {0.1005, 0.05}}}, {{2.12, 101}, {2.16, 101}, {2.3, 230}}},  // overlapping: one
        {{0, {{0.2005, 0.01}, {0.1005, 0.05}}}, {{2.2, 150}, {2.2005, 151}, {2.205, 151}, {2.3, 240}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.positions.back().second);
        VirtualCapture own{PcmFormat(1, kRate, 16), {}, c.clock};
        Mono(own, 1100);
        own.Start(2.0);
        for (const auto& [now, frames] : c.positions) EXPECT_EQ(own.Position(now), frames) << now;
        const auto [end, count] = c.positions.back();
        for (double now = 2.007; now < end; now += 0.007) own.Advance(synth, now, done);
        own.Advance(synth, end, done);
        ASSERT_EQ(headers[0].bytesRecorded, 2 * count);
        std::uint64_t k = 0;
        for (std::uint64_t tick = 0; k < count; ++tick) {
            const double t = static_cast<double>(tick) / (kRate * (1 + c.clock.ppm / 1e6));
            const auto covers = [t](const Dropout& d) { return t >= d.at && t < d.at + d.length; };
            if (std::any_of(c.clock.dropouts.begin(), c.clock.dropouts.end(), covers)) continue;
            ASSERT_EQ(Sample(blocks[0], 2 * k++), NoteAt(2.0 + t)) << tick;
        }
    }
}

}  // namespace
}  // namespace solvena::devices
