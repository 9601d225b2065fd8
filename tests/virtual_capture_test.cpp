#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
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
        const double t = static_cast<double>(frame) / kRate;
        const auto expected = static_cast<std::int16_t>(std::lround(0.25 * std::sin(2 * std::numbers::pi * 440 * t) * 32767));
        for (std::size_t byte : {0, 2}) {
            const std::uint8_t* bytes = blocks[block].data() + at * 4 + byte;
            EXPECT_EQ(static_cast<std::int16_t>(bytes[0] | bytes[1] << 8), expected) << "frame " << frame;
        }
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

}  // namespace
}  // namespace solvena::devices
