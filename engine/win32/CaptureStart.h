// Waiting, after waveInStart, until the device delivers: some devices start seconds late, and
// the music may only start once the capture hears it. The wait runs from a window timer, so the
// window stays responsive: a look at the device takes at most kEdgeSpinMs, or kStepSpinMs at the
// end. Once frames arrive, the looks go on until they have seen the count move kEdgesWanted
// times, and the one that lags least behind the capture places it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "engine/ClockFollower.h"
#include "engine/RecordingStart.h"

namespace solvena::engine {

constexpr UINT kCaptureWaitPeriodMs = 10;
// A device that has delivered nothing this long after its start is not going to.
constexpr ULONGLONG kCaptureWaitLimitMs = 5000;
// Each look waits this long at most for the device's count to move.
constexpr double kEdgeSpinMs = 2.0;
// Looks after the first delivery: a driver's hand-over lags by a few milliseconds more or less
// at every step, and a dozen steps show its least lag.
constexpr double kAnchorSettleMs = 120.0;
// After that, looks that wait up to a whole step of the driver's count for it to move, until
// this many looks have seen it move (or that many looks have been made).
constexpr double kStepSpinMs = 20.0;
constexpr int kEdgesWanted = 8;
constexpr int kMaxLongLooks = 16;
// A device whose least lagging look puts its first frame this close after the start call was
// capturing from the call on: Wine's PulseAudio driver hands frames over only on a 10 ms tick
// whose phase is new at every open, so its count lags by 0 to 10 ms for the whole open, and the
// call's return places frame 0 to within a millisecond or two. A device that starts later (or
// lags more) is placed by its looks.
constexpr double kFromTheCallBeforeMs = 1;
constexpr double kFromTheCallAfterMs = 12;
// After the stream's start, how long its position is watched for a change.
constexpr double kStreamEdgeSpinMs = 4.0;

enum class CaptureWaitState {
    waiting,          // nothing delivered yet, or the looks at the count go on
    delivering,       // frames arrive; `anchor` was being captured at `anchorMs`
    positionUnknown,  // the device cannot tell its position: record from the capture's start
    nothingDelivered, // the time is up
};

struct CaptureWait {
    CaptureWaitState state = CaptureWaitState::waiting;
    std::uint64_t anchor = 0;
    double anchorMs = 0;     // when, on CaptureClockMs
    ULONGLONG waitedMs = 0;  // since the start
    ULONGLONG firstFrameMs = 0;  // from the start to the first delivery
};

// A fine clock in milliseconds, for the time between the anchor and the music's start.
double CaptureClockMs();

// One wait for a capture that has just been started, looked at from a window timer.
class CaptureWaiter {
public:
    // The capture has just been started, at `rate` frames per second. A follower, when given,
    // gets every look at a delivering device, so it knows the capture's rate before the music.
    void Begin(std::uint32_t rate, ClockFollower* follower = nullptr);
    // One look at the device; a result other than `waiting` ends the wait, and the caller starts
    // the music at once.
    CaptureWait Poll();

private:
    ULONGLONG startMs_ = 0;
    std::uint32_t rate_ = 0;
    ClockFollower* follower_ = nullptr;
    std::optional<ClockReading> anchor_;
    double firstDeliveryMs_ = 0;
    int edges_ = 0;      // looks that saw the count move
    int longLooks_ = 0;  // looks after the settling time
    ULONGLONG firstDeliveryWaitedMs_ = 0;
};

// The capture's frame that sounds the stream's tick `secondsIn` (on the system's clock) after a
// stream that started at `startedMs` (see StreamStartedMs), for a capture that was at
// `wait.anchor` at `wait.anchorMs` and runs `framesPerMs`.
std::uint64_t StartTickFrame(const CaptureWait& wait, double startedMs, double secondsIn, double framesPerMs);

// When the stream that was just started (its restart called at `calledMs`) began to play, as its
// own position tells; `calledMs` when the position does not move or cannot be read.
double StreamStartedMs(double calledMs);

}  // namespace solvena::engine
