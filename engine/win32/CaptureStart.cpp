#include "engine/win32/CaptureStart.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/RecordingStart.h"
#include "engine/win32/Capture.h"
#include "engine/win32/Playback.h"

namespace solvena::engine {

namespace {

ULONGLONG waitStartMs = 0;
std::uint32_t waitRate = 0;
std::optional<ClockReading> anchor;
double firstDeliveryMs = 0;
int edges = 0;      // looks that saw the count move
int longLooks = 0;  // looks after the settling time
ULONGLONG firstDeliveryWaitedMs = 0;

}  // namespace

double CaptureClockMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void BeginCaptureWait(std::uint32_t rate) {
    waitStartMs = GetTickCount64();
    waitRate = rate;
    anchor.reset();
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
    // Drivers count in steps (Wine's every 10 ms): the moment the count moves says best which
    // frame is being captured. A look that sees no move still bounds the capture from one side,
    // but by up to a step: the window timer can tick in step with the driver and miss every move,
    // so once the short looks have had their time, each look waits for a move.
    const bool settled = anchor && CaptureClockMs() - firstDeliveryMs >= kAnchorSettleMs;
    const double spinMs = settled ? kStepSpinMs : kEdgeSpinMs;
    std::uint32_t now = frames;
    for (const double until = CaptureClockMs() + spinMs; now == frames && CaptureClockMs() < until;) {
        if (!CapturePosition(&now)) {
            wait.state = CaptureWaitState::positionUnknown;
            return wait;
        }
    }
    const ClockReading look{CaptureClockMs(), now};
    if (!anchor) {
        firstDeliveryMs = look.ms;
        firstDeliveryWaitedMs = wait.waitedMs;
        edges = 0;
        longLooks = 0;
    }
    if (now != frames) ++edges;
    if (settled) ++longLooks;
    wait.firstFrameMs = firstDeliveryWaitedMs;
    anchor = anchor ? LeastLagging(*anchor, look, waitRate) : look;
    if (!settled || (edges < kEdgesWanted && longLooks < kMaxLongLooks)) return wait;
    wait.state = CaptureWaitState::delivering;
    wait.anchor = anchor->count;
    wait.anchorMs = anchor->ms;
    return wait;
}

std::uint64_t StartTickFrame(const CaptureWait& wait, double startedMs, double leadInSeconds, std::uint32_t rate) {
    // The capture went on from the anchor until the stream started.
    const double late = std::max(0.0, startedMs - wait.anchorMs) / 1000;
    return FrameAfter(wait.anchor, late + leadInSeconds, rate);
}

double StreamStartedMs(double calledMs) {
    std::vector<ClockReading> looks;
    std::uint32_t ms = 0;
    for (const double until = CaptureClockMs() + kStreamEdgeSpinMs; CaptureClockMs() < until;) {
        if (!PlaybackPositionMs(&ms)) return calledMs;
        looks.push_back({CaptureClockMs(), ms});
    }
    return StreamStartMs(looks).value_or(calledMs);
}

}  // namespace solvena::engine
