#include <gtest/gtest.h>

#include "song/Estimates.h"
#include "song/MusicalTime.h"

namespace solvena {
namespace {

TEST(Estimates, ExpectedSecondsAddsTheReverbTail) {
    Song song;
    song.division = 480;
    song.ResetConductor();
    ASSERT_TRUE(InsertConductorEntry(2400, kTempo, 0x0F, 0x42, 0x40, song));  // 1,000,000
    EXPECT_EQ(ExpectedSeconds(song, 0, 4800, 3), 2 + 5 + 3);
    EXPECT_EQ(ExpectedSeconds(song, 0, 0, 0), 0);
    EXPECT_EQ(ExpectedSeconds(song, 4800, 0, 2), -5 + 2);
}

TEST(Estimates, TimeText) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0:00"},     {5, "0:05"},       {59, "0:59"},      {60, "1:00"},   {65, "1:05"},
        {200, "3:20"},   {3599, "59:59"},   {6000, "100:00"},  {-65, "-1:05"}, {-5, "-0:05"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(TimeText(seconds), text) << seconds;
}

TEST(Estimates, SizeTextInWholeMegabytes) {
    struct Case {
        std::int32_t rate, seconds, bits, channels;
        const char* text;
    };
    const Case cases[] = {
        {44100, 180, 16, 2, "31MB"},   // 44100 Hz counts as 44
        {11025, 100, 8, 1, "1MB"},     // 11025 Hz counts as 11
        {22050, 3600, 24, 2, "475MB"},
        {8000, 0, 16, 2, "0MB"},
        {48000, -30, 16, 2, "0MB"},
        {192000, 400000, 32, 2, "77529MB"},  // the product wraps in 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(SizeText(c.rate, c.seconds, c.bits, c.channels), c.text) << c.rate << ' ' << c.seconds;
}

}  // namespace
}  // namespace solvena
