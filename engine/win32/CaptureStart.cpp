#include "engine/win32/CaptureStart.h"

#include <algorithm>

#include "engine/RecordingStart.h"
#include "engine/win32/Capture.h"

namespace solvena::engine {

namespace {

// Looks spent waiting for the count to move once frames arrive; then the anchor is taken
// without it (within one of the driver's steps).
constexpr int kMaxEdgeLooks = 30;

ULONGLONG waitStartMs = 0;
int edgeLooks = 0;

}  // namespace

double CaptureClockMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void BeginCaptureWait() {
    waitStartMs = GetTickCount64();
    edgeLooks = 0;
}

CaptureWait PollCaptureWait() {
    CaptureWait wait;
    wait.waitedMs = GetTickCount64() - waitStartMs;
    std::uint32_t frames = 0;
    if (!CapturePosition(&frames)) {
        wait.state = CaptureWaitState::positionUnknown;
        return wait;
    }
    if (frames == 0) {
        if (wait.waitedMs >= kCaptureWaitLimitMs) wait.state = CaptureWaitState::nothingDelivered;
        return wait;
    }
    // Drivers count in steps (Wine's every 10 to 15 ms): only the moment the count moves says
    // which frame is being captured, so the music starts then. Between the steps the count is
    // up to one step behind, which would put each job's music at another offset.
    std::uint32_t now = frames;
    for (const double until = CaptureClockMs() + kEdgeSpinMs; now == frames && CaptureClockMs() < until;) {
        if (!CapturePosition(&now)) {
            wait.state = CaptureWaitState::positionUnknown;
            return wait;
        }
    }
    wait.anchorMs = CaptureClockMs();
    wait.edge = now != frames;
    if (!wait.edge && ++edgeLooks < kMaxEdgeLooks) return wait;
    wait.state = CaptureWaitState::delivering;
    // The frame being captured as the count moves: the first one not yet delivered.
    wait.anchor = now;
    return wait;
}

std::uint64_t StartTickFrame(const CaptureWait& wait, double calledMs, double leadInSeconds, std::uint32_t rate) {
    // The stream starts when it is told to; the capture went on since the anchor.
    const double late = std::max(0.0, calledMs - wait.anchorMs) / 1000;
    return FrameAfter(wait.anchor, late + leadInSeconds, rate);
}

}  // namespace solvena::engine
