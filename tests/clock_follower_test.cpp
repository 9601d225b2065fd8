// Following a capture's clock: its rate against the system's from looks at its count, and the
// stretches it never delivered, whatever the driver's steps and lags and the window timer do.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/ClockFollower.h"

namespace solvena {
namespace {

// A device at 44,100 Hz whose crystal runs `ppm` fast, looked at every `periodMs` for `seconds`.
struct Device {
    double ppm = 0;
    double stepMs = 0;     // the count moves in steps of this long (0: every frame)
    double lagMs = 0;      // it lags the capture by this much, plus up to `jitterMs` more per look
    double jitterMs = 0;
    double lateEvery = 0;  // every Nth look is read 30 ms before its time is taken
    double gapAtMs = -1, gapMs = 0;
};

struct Found {
    double ppm = 0;
    double ppmError = 0;
    std::vector<CaptureGap> gaps;
};

constexpr double kRate = 44100;

Found Follow(const Device& d, double seconds, double periodMs = 100) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    const double perMs = kRate / 1000 * (1 + d.ppm / 1e6);
    ClockFollower follower;
    follower.Start(44100);
    Found found;
    for (double ms = 0; ms < seconds * 1000; ms += periodMs * (0.8 + 0.4 * unit(random))) {
        double captured = ms - d.lagMs - d.jitterMs * unit(random);
        if (d.stepMs > 0) captured = std::floor(captured / d.stepMs) * d.stepMs;
        // Inside the gap the count stands; after it, it lacks the gap's frames.
        if (d.gapAtMs >= 0 && captured > d.gapAtMs) captured = std::max(d.gapAtMs, captured - d.gapMs);
        const auto count = static_cast<std::uint64_t>(std::max(0.0, captured * perMs));
        const bool late = d.lateEvery > 0 && std::fmod(std::round(ms / periodMs), d.lateEvery) == 0;
        follower.Add({1000 + ms + (late ? 30 : 0), count});
        for (const CaptureGap& gap : follower.TakeClosedGaps()) found.gaps.push_back(gap);
    }
    follower.Finish();
    for (const CaptureGap& gap : follower.TakeClosedGaps()) found.gaps.push_back(gap);
    found.ppm = follower.Ppm();
    found.ppmError = follower.PpmError();
    return found;
}

TEST(ClockFollower, MeasuresTheRateAndFindsOnlyRealGaps) {
    struct Case {
        const char* name;
        Device device;
        double seconds;
        double ppmTolerance;
        double gapAtMs, gapMs;  // the gap expected, -1 for none
    } const cases[] = {
        {"a clean line", {0}, 5, 3, -1, 0},
        {"a fast crystal", {2000}, 5, 3, -1, 0},
        {"a slow crystal", {-2000}, 5, 3, -1, 0},
        // Wine's capture: the count moves every 10 ms and lags by a few ms more or less each look.
        {"stepped, lagging looks", {152, 10, 3, 4}, 60, 45, -1, 0},
        {"a late window timer", {-80, 10, 3, 4, 7}, 60, 45, -1, 0},
        {"a gap of a second and a half", {2000, 0, 0, 0, 0, 10500, 1500}, 30, 2, 10500, 1500},
        {"a gap among stepped looks", {100, 10, 3, 4, 0, 20000, 800}, 60, 45, 20000, 800},
        // Shorter than the looks' period: the count never stands still for a look.
        {"a gap between two looks", {0, 0, 0, 0, 0, 15020, 60}, 30, 5, 15020, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Found found = Follow(c.device, c.seconds);
        EXPECT_NEAR(found.ppm, c.device.ppm, c.ppmTolerance) << found.ppmError;
        EXPECT_LT(found.ppmError, c.ppmTolerance);
        if (c.gapAtMs < 0) {
            EXPECT_TRUE(found.gaps.empty()) << found.gaps.front().atFrame;
            continue;
        }
        ASSERT_EQ(found.gaps.size(), 1u);
        const double perMs = kRate / 1000 * (1 + c.device.ppm / 1e6);
        // Where the count stood is exact; a gap no look stood in lies between two looks.
        const double placeTolerance = c.gapMs < 100 ? 100 * perMs : 10 * perMs + 1;
        EXPECT_NEAR(static_cast<double>(found.gaps[0].atFrame), c.gapAtMs * perMs, placeTolerance);
        // Its length within the looks' lag: the least lagging looks after it tell it.
        EXPECT_NEAR(static_cast<double>(found.gaps[0].frames), c.gapMs * perMs, (c.device.jitterMs > 0 ? 3 : 0.1) * perMs);
    }
}

}  // namespace
}  // namespace solvena
