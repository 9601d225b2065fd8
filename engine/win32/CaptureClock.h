// A job's capture clock followed from its first delivery to its last frame: looks at the capture's
// count feed the follower, the gaps it finds are filled with silence in the file, and the tempo
// lock keeps the music on the capture's clock. One per job, in the run's state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/ClockFollower.h"
#include "engine/RunTexts.h"
#include "engine/TempoLock.h"

namespace solvena::engine {

// The capture's rate is trusted for the lock once its standard error is this small.
constexpr double kTrustedPpmError = 100;
// The rate is remembered for the device's next job once it is this well known.
constexpr double kRememberedPpmError = 20;
// Looks at the capture while it records, five a second, so the user-interface thread spends far
// less than a millisecond a second on them. For the music's first ten seconds twenty a second: a
// driver whose count moves in steps (Wine's every 10 ms) tells its rate only from many looks, and
// until then the notes stray by the capture's whole difference. Neither period is a whole number
// of such steps: looks in step with the driver's would all lag alike for seconds, and a lag that
// creeps from one end of a step to the other reads as a rate thousands of ppm off.
constexpr UINT_PTR kClockLookTimer = 5;
constexpr UINT kClockLookPeriodMs = 203;
constexpr UINT kFirstClockLookPeriodMs = 47;
constexpr double kFirstLooksMs = 10000;

struct CaptureClock {
    ClockFollower follower;
    TempoLock lock;
    // The capture's rate as the job started: the device's last measured one, or nominal.
    double startPpm = 0;
    std::uint32_t rate = 0;
    // The device's 32-bit count, unwrapped.
    std::uint32_t lastCount = 0;
    std::uint64_t wraps = 0;
    // The file's first frame on the capture's clock, once the music has started.
    bool placed = false;
    std::uint64_t firstFrame = 0;
    // The lock: once the phase error has first come within its bound it must stay there.
    bool held = false;
    bool lost = false;
    double largestErrorMs = 0;
    double lastLookMs = 0;
    double musicStartMs = 0;
    bool quickLooks = false;
    std::vector<CaptureGapReport> gaps;
};

// A new job's capture at `rate` frames per second, thought to run `ppm` fast.
void BeginCaptureClock(CaptureClock& clock, std::uint32_t rate, double ppm);
// The capture's rate as known now, in frames per millisecond of the system's clock: measured once
// the looks tell it well enough, else as the job started.
double KnownFramesPerMs(const CaptureClock& clock);
// The music has started: the first look at once, then the look timer on `window`.
void StartLookingAtCapture(CaptureClock& clock, HWND window);
// One look at the capture (the look timer): its count joins the follower, a gap found opens or
// closes in the file, and the lock takes a step.
void LookAtCapture(CaptureClock& clock, HWND window);
// The capture ends: the last look, the gaps it still holds closed in the file, and what the
// report tells of the clock (all but the file's length, known once the capture has stopped).
ClockReport EndCaptureClock(CaptureClock& clock);

}  // namespace solvena::engine
