// Waiting, after waveInStart, until the device delivers: some devices start seconds late, and
// the music may only start once the capture hears it. The wait runs from a window timer, so the
// window stays responsive; each look at the device takes at most kEdgeSpinMs.
#pragma once

#include <windows.h>

#include <cstdint>

namespace solvena::engine {

constexpr UINT kCaptureWaitPeriodMs = 10;
// A device that has delivered nothing this long after its start is not going to.
constexpr ULONGLONG kCaptureWaitLimitMs = 5000;
// Each look waits this long at most for the device's count to move.
constexpr double kEdgeSpinMs = 2.0;

enum class CaptureWaitState {
    waiting,          // nothing delivered yet
    delivering,       // frames arrive; `anchor` is the frame being captured now
    positionUnknown,  // the device cannot tell its position: record from the capture's start
    nothingDelivered, // the time is up
};

struct CaptureWait {
    CaptureWaitState state = CaptureWaitState::waiting;
    std::uint64_t anchor = 0;
    double anchorMs = 0;     // when, on CaptureClockMs
    ULONGLONG waitedMs = 0;  // since the start
    bool edge = false;       // the anchor was taken the moment the count moved
};

// A fine clock in milliseconds, for the time between the anchor and the music's start.
double CaptureClockMs();

// The capture has just been started.
void BeginCaptureWait();
// The capture's frame that sounds the stream's tick `leadInSeconds` in, for a stream started
// (its restart called) at `calledMs` after the wait ended delivering.
std::uint64_t StartTickFrame(const CaptureWait& wait, double calledMs, double leadInSeconds, std::uint32_t rate);

// One look at the device; a result other than `waiting` ends the wait, and the caller starts
// the music at once, so that the anchor still holds.
CaptureWait PollCaptureWait();

}  // namespace solvena::engine
