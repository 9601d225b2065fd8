#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "jobs/JobRowText.h"

namespace solvena {
namespace {

using TrackFlags = std::array<std::uint8_t, kMaxTracks>;

TrackFlags Tracks(std::initializer_list<std::size_t> on) {
    TrackFlags flags{};
    for (std::size_t i : on) flags[i] = 1;
    return flags;
}

TrackFlags TrackRange(std::size_t first, std::size_t last) {
    TrackFlags flags{};
    for (std::size_t i = first; i <= last; ++i) flags[i] = 1;
    return flags;
}

// Reads a track text back ("n" and "first-last" entries) into flags; a malformed entry fails.
bool ParseTracks(const std::string& text, TrackFlags& flags) {
    flags = {};
    std::istringstream in(text);
    std::string entry;
    while (in >> entry) {
        const std::size_t dash = entry.find('-');
        const std::size_t first = std::stoul(entry.substr(0, dash));
        const std::size_t last = dash == std::string::npos ? first : std::stoul(entry.substr(dash + 1));
        if (last >= kMaxTracks || first > last) return false;
        for (std::size_t i = first; i <= last; ++i) flags[i] = 1;
    }
    return true;
}

TEST(JobRowText, EachFieldLandsInItsColumn) {
    RecordingJob job;
    SetText(job.midiPath, "C:\\songs\\a.mid");
    SetText(job.wavPath, "C:\\songs\\take.wav");
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.expectedSeconds = 125;
    job.reverbSeconds = 3;
    job.trackEnabled = Tracks({0, 2, 5});
    const JobRowTexts expected{"C:\\songs\\a.mid", "C:\\songs\\take.wav", "44100", "16", "STEREO",
                               " 0 2 5",         "2:05",              "22MB",  "3"};
    EXPECT_EQ(RowTextsOf(job), expected);
}

TEST(JobRowText, ChannelsNameMonoAndStereoAndShowAnyOtherCount) {
    EXPECT_EQ(ChannelsText(1), "MONO");
    EXPECT_EQ(ChannelsText(2), "STEREO");
    EXPECT_EQ(ChannelsText(0), "0");
    EXPECT_EQ(ChannelsText(6), "6");
    EXPECT_EQ(ChannelsText(-1), "-1");
}

TEST(JobRowText, TimeAndSizeCells) {
    RecordingJob job;
    job.sampleRate = 8000;
    job.bitsPerSample = 8;
    job.channels = 1;
    job.expectedSeconds = 10;
    EXPECT_EQ(RowTextsOf(job)[7], "0MB");  // 8 x 10 x 8 x 1 / 8000
    EXPECT_EQ(RowTextsOf(job)[6], "0:10");
    job.expectedSeconds = 3600;
    EXPECT_EQ(RowTextsOf(job)[6], "60:00");
    job.expectedSeconds = 0;
    EXPECT_EQ(RowTextsOf(job)[6], "0:00");

    // 11025 Hz counts as 11 before anything else: 11 x 6000 x 32 x 2 / 8000 = 528, not 529.
    job.sampleRate = 11025;
    job.expectedSeconds = 6000;
    job.bitsPerSample = 32;
    job.channels = 2;
    EXPECT_EQ(RowTextsOf(job)[7], "528MB");
}

TEST(JobRowText, TrackListNamesEachTrackAfterOneSpace) {
    EXPECT_EQ(TrackNumbersText(Tracks({0, 1, 10})), " 0 1 10");
    EXPECT_EQ(TrackNumbersText(Tracks({63})), " 63");
    EXPECT_EQ(TrackNumbersText(TrackFlags{}), "");
    TrackFlags odd = Tracks({4});
    odd[7] = 2;  // only a flag of 1 means "played"
    EXPECT_EQ(TrackNumbersText(odd), " 4");
}

TEST(JobRowText, LongTrackListsBecomeRunsOnlyWhenThePlainListDoesNotFit) {
    const std::string upTo44 = TrackNumbersText(TrackRange(0, 44));
    EXPECT_EQ(upTo44.size(), 125u);
    EXPECT_EQ(upTo44.substr(0, 6), " 0 1 2");
    EXPECT_EQ(upTo44.substr(upTo44.size() - 6), " 43 44");

    EXPECT_EQ(TrackNumbersText(TrackRange(0, 45)), " 0-45");  // the plain list would be 128
    EXPECT_EQ(TrackNumbersText(TrackRange(0, 63)), " 0-63");

    TrackFlags mixed = TrackRange(14, 63);
    for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}) mixed[i] = 1;
    EXPECT_EQ(TrackNumbersText(mixed), " 0-9 11 12 14-63");
}

TEST(JobRowText, WorstTrackPatternsFitTheCell) {
    // Every other track never needs runs.
    TrackFlags alternate{};
    for (std::size_t i = 0; i < kMaxTracks; i += 2) alternate[i] = 1;
    EXPECT_EQ(TrackNumbersText(alternate).size(), 91u);

    // Pairs with one-track gaps give the longest text of all: 122 characters either way.
    TrackFlags pairs = Tracks({0});
    for (std::size_t i = 2; i + 1 < kMaxTracks; i += 3) pairs[i] = pairs[i + 1] = 1;
    const std::string text = TrackNumbersText(pairs);
    EXPECT_EQ(text.size(), 122u);
    EXPECT_EQ(text.substr(0, 12), " 0 2 3 5 6 8");
    EXPECT_EQ(text.substr(text.size() - 6), " 62 63");

    // Whatever the flags, the text fits and names exactly the tracks that are on.
    std::mt19937 random(4711);
    for (int round = 0; round < 3000; ++round) {
        const unsigned density = 50 + static_cast<unsigned>(round % 50);  // percent of tracks on
        TrackFlags flags{};
        for (std::uint8_t& f : flags) f = random() % 100 < density ? 1 : 0;
        const std::string cell = TrackNumbersText(flags);
        ASSERT_LE(cell.size(), kBuiltCellLimit) << cell;
        TrackFlags back{};
        ASSERT_TRUE(ParseTracks(cell, back)) << cell;
        ASSERT_EQ(back, flags) << cell;
    }
}

TEST(JobRowText, BuiltCellsFitWhateverTheRecordHoldsAndPathsStayWhole) {
    RecordingJob job;
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    job.sampleRate = job.bitsPerSample = job.channels = job.reverbSeconds = job.expectedSeconds = lowest;
    job.trackEnabled.fill(1);
    job.midiPath.fill('m');  // no terminating zero at all
    SetText(job.wavPath, std::string(kJobPathSize - 1, 'w'));
    const JobRowTexts texts = RowTextsOf(job);
    EXPECT_EQ(texts[0], std::string(kJobPathSize, 'm'));
    EXPECT_EQ(texts[1], std::string(kJobPathSize - 1, 'w'));
    for (std::size_t column = 2; column < kJobColumnCount; ++column) {
        EXPECT_LE(texts[column].size(), kBuiltCellLimit) << column;
        EXPECT_FALSE(texts[column].empty()) << column;
    }
}

}  // namespace
}  // namespace solvena
