#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "engine/FormatProbe.h"

namespace solvena::devices {
namespace {

// A probe device that accepts the formats whose rate and depth are in its sets, recording
// every format it is asked about.
struct FakeDevice {
    std::set<std::uint32_t> rates;
    std::set<std::uint16_t> bits;
    std::vector<WaveFormat> asked;

    FormatQuery Query() {
        return [this](const WaveFormat& format) {
            asked.push_back(format);
            return rates.count(format.samplesPerSec) && bits.count(format.bitsPerSample) ? kMmNoError
                                                                                          : kWaveBadFormat;
        };
    }
};

WaveFormat Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint16_t blockAlign,
                  std::uint32_t bytesPerSec) {
    WaveFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = blockAlign;
    format.avgBytesPerSec = bytesPerSec;
    return format;
}

TEST(ProbeSampleRates, StopsAtTheFirstRefusedRate) {
    // Accepts 192000 but not 96000: 192000 must never be asked about.
    FakeDevice device{{8000, 11025, 22050, 44100, 192000}, {8}, {}};
    EXPECT_EQ(ProbeSampleRates(device.Query()), 4u);
    const std::vector<WaveFormat> expected = {
        Format(2, 8000, 8, 2, 16000),  Format(2, 11025, 8, 2, 22050), Format(2, 22050, 8, 2, 44100),
        Format(2, 44100, 8, 2, 88200), Format(2, 96000, 8, 2, 192000),
    };
    EXPECT_EQ(device.asked, expected);
}

TEST(ProbeSampleRates, AllOrNothing) {
    FakeDevice all{{8000, 11025, 22050, 44100, 96000, 192000}, {8}, {}};
    EXPECT_EQ(ProbeSampleRates(all.Query()), sampleRates.size());
    ASSERT_EQ(all.asked.size(), 6u);
    EXPECT_EQ(all.asked.back(), Format(2, 192000, 8, 2, 384000));

    // A device refusing everything is asked once and leaves the list empty.
    FakeDevice none{{}, {}, {}};
    EXPECT_EQ(ProbeSampleRates(none.Query()), 0u);
    EXPECT_EQ(ProbeBitDepths(none.Query()), 0u);
    EXPECT_EQ(none.asked.size(), 2u);
}

TEST(ProbeBitDepths, AsksAt22050StereoAndStopsAtTheFirstRefusal) {
    FakeDevice device{{22050}, {8, 16, 32}, {}};
    EXPECT_EQ(ProbeBitDepths(device.Query()), 2u);
    const std::vector<WaveFormat> expected = {
        Format(2, 22050, 8, 2, 44100),
        Format(2, 22050, 16, 4, 88200),
        Format(2, 22050, 24, 6, 132300),
    };
    EXPECT_EQ(device.asked, expected);

    FakeDevice all{{22050}, {8, 16, 24, 32}, {}};
    EXPECT_EQ(ProbeBitDepths(all.Query()), bitDepths.size());
    EXPECT_EQ(all.asked.back(), Format(2, 22050, 32, 8, 176400));
}

TEST(FormatFromSelections, BuildsTheCheckedFormatFromTablePositions) {
    // Mono, 44100 Hz, 16 bits.
    PageFormat mono = FormatFromSelections(3, 1, 0);
    ASSERT_EQ(mono.missing, MissingSelection::none);
    EXPECT_EQ(mono.format, Format(1, 44100, 16, 2, 88200));

    // Stereo, 96000 Hz, 24 bits.
    PageFormat stereo = FormatFromSelections(4, 2, 1);
    ASSERT_EQ(stereo.missing, MissingSelection::none);
    EXPECT_EQ(stereo.format, Format(2, 96000, 24, 6, 576000));

    // The table ends.
    EXPECT_EQ(FormatFromSelections(0, 0, 0).format, Format(1, 8000, 8, 1, 8000));
    EXPECT_EQ(FormatFromSelections(5, 3, 1).format, Format(2, 192000, 32, 8, 1536000));
}

TEST(FormatFromSelections, NamesTheFirstListWithoutAUsableSelection) {
    EXPECT_EQ(FormatFromSelections(kNoSelection, 1, 1).missing, MissingSelection::sampleRate);
    EXPECT_EQ(FormatFromSelections(6, 1, 1).missing, MissingSelection::sampleRate);
    EXPECT_EQ(FormatFromSelections(3, kNoSelection, 1).missing, MissingSelection::bitDepth);
    EXPECT_EQ(FormatFromSelections(3, 4, 1).missing, MissingSelection::bitDepth);
    EXPECT_EQ(FormatFromSelections(3, 1, kNoSelection).missing, MissingSelection::channels);
    EXPECT_EQ(FormatFromSelections(3, 1, 2).missing, MissingSelection::channels);
    EXPECT_EQ(FormatFromSelections(kNoSelection, kNoSelection, kNoSelection).missing,
              MissingSelection::sampleRate);
    // Far out of range in either direction must not wrap into the table.
    EXPECT_EQ(FormatFromSelections(-4294967296LL, 1, 1).missing, MissingSelection::sampleRate);
    EXPECT_EQ(FormatFromSelections(3, 4294967297LL, 1).missing, MissingSelection::bitDepth);
}

TEST(EntryTexts, RatesDepthsAndDevices) {
    EXPECT_EQ(RateEntryText(44100), "44100Hz");
    EXPECT_EQ(RateEntryText(192000), "192000Hz");
    EXPECT_EQ(DepthEntryText(16), "16 bit");
    EXPECT_EQ(DepthEntryText(8), "8 bit");
    EXPECT_EQ(DeviceEntryText(0, "Line In"), "0: Line In");
    EXPECT_EQ(DeviceEntryText(12, "Synth  "), "12: Synth  ");
    EXPECT_EQ(DeviceEntryText(2, ""), "2: ");
}

}  // namespace
}  // namespace solvena::devices
