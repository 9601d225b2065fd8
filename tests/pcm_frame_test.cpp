#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/FormatProbe.h"
#include "loopback/PcmFrame.h"
#include "loopback/VirtualCapture.h"

namespace solvena::devices {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The frame's bytes and one guard byte after them.
Bytes Frame(double value, std::uint16_t bits, std::uint16_t channels = 1) {
    Bytes out(static_cast<std::size_t>(bits / 8 * channels) + 1, 0xEE);
    WritePcmFrame(value, bits, channels, std::span<std::uint8_t>(out.data(), out.size() - 1));
    return out;
}

TEST(PcmFrame, ValuesBecomeTheseBytesAtEveryDepth) {
    struct Case {
        double value;
        std::uint16_t bits;
        Bytes bytes;
    };
    const Case cases[] = {
        {0.0, 8, {0x80, 0xEE}},           // silence is 128
        {1.0, 8, {0xFF, 0xEE}},           // 127 + 128
        {-1.0, 8, {0x01, 0xEE}},          // -127 + 128
        {0.5, 8, {0xC0, 0xEE}},           // round(63.5) = 64: halves away from zero
        {-0.5, 8, {0x40, 0xEE}},
        {1.0, 16, {0xFF, 0x7F, 0xEE}},
        {-1.0, 16, {0x01, 0x80, 0xEE}},   // -32767, never -32768
        {2.5, 16, {0xFF, 0x7F, 0xEE}},    // clipped
        {-7.0, 16, {0x01, 0x80, 0xEE}},
        {-0.4 / 32767, 16, {0x00, 0x00, 0xEE}},
        {-1.0 / 8388607, 24, {0xFF, 0xFF, 0xFF, 0xEE}},
        {-1.0, 24, {0x01, 0x00, 0x80, 0xEE}},
        {1.0, 32, {0xFF, 0xFF, 0xFF, 0x7F, 0xEE}},
        {0.25, 32, {0x00, 0x00, 0x00, 0x20, 0xEE}},  // round(536870911.75)
    };
    for (const Case& c : cases) EXPECT_EQ(Frame(c.value, c.bits), c.bytes) << c.value << " at " << c.bits;
    EXPECT_EQ(Frame(-1.0, 16, 2), (Bytes{0x01, 0x80, 0x01, 0x80, 0xEE}));
    EXPECT_EQ(Frame(0.0, 8, 2), (Bytes{0x80, 0x80, 0xEE}));
    EXPECT_EQ(Frame(1.0, 12, 2), (Bytes{0xEE, 0xEE, 0xEE}));  // no such layout: nothing written
}

TEST(PcmFrame, CaptureFormatsAreThoseFramesCanBeWrittenIn) {
    for (std::uint16_t bits : {8, 16, 24, 32}) {
        EXPECT_TRUE(CaptureFormatSupported(PcmFormat(1, 8000, bits))) << bits;
        EXPECT_TRUE(CaptureFormatSupported(PcmFormat(2, 192000, bits))) << bits;
    }
    WaveFormat inconsistent = PcmFormat(2, 44100, 16);
    inconsistent.blockAlign = 2;
    WaveFormat notPcm = PcmFormat(2, 44100, 16);
    notPcm.formatTag = 3;
    for (const WaveFormat& format : {PcmFormat(2, 44100, 12), PcmFormat(4, 44100, 16), PcmFormat(2, 0, 16), inconsistent, notPcm}) {
        EXPECT_FALSE(CaptureFormatSupported(format)) << format.channels << " ch " << format.bitsPerSample << " bit";
    }
}

}  // namespace
}  // namespace solvena::devices
