#include "engine/win32/CaptureStart.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/RecordingStart.h"
#include "engine/win32/Capture.h"
#include "engine/win32/Playback.h"

namespace solvena::engine {

double CaptureClockMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void CaptureWaiter::Begin(std::uint32_t rate, ClockFollower* follower) {
    startMs_ = GetTickCount64();
    rate_ = rate;
    follower_ = follower;
    anchor_.reset();
}

CaptureWait CaptureWaiter::Poll() {
    CaptureWait wait;
    wait.waitedMs = GetTickCount64() - startMs_;
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
    const bool settled = anchor_ && CaptureClockMs() - firstDeliveryMs_ >= kAnchorSettleMs;
    const double spinMs = settled ? kStepSpinMs : kEdgeSpinMs;
    std::uint32_t now = frames;
    for (const double until = CaptureClockMs() + spinMs; now == frames && CaptureClockMs() < until;) {
        if (!CapturePosition(&now)) {
            wait.state = CaptureWaitState::positionUnknown;
            return wait;
        }
    }
    const ClockReading look{CaptureClockMs(), now};
    if (follower_ != nullptr) follower_->Add(look);
    if (!anchor_) {
        firstDeliveryMs_ = look.ms;
        firstDeliveryWaitedMs_ = wait.waitedMs;
        edges_ = 0;
        longLooks_ = 0;
    }
    if (now != frames) ++edges_;
    if (settled) ++longLooks_;
    wait.firstFrameMs = firstDeliveryWaitedMs_;
    anchor_ = anchor_ ? LeastLagging(*anchor_, look, rate_) : look;
    if (!settled || (edges_ < kEdgesWanted && longLooks_ < kMaxLongLooks)) return wait;
    wait.state = CaptureWaitState::delivering;
    wait.anchor = anchor_->count;
    wait.anchorMs = anchor_->ms;
    // Where the looks put frame 0: it was captured during the start call, so no later than the
    // call's return; a look that puts it earlier than that lagged less than the call took.
    const double origin = anchor_->ms - static_cast<double>(anchor_->count) * 1000.0 / rate_;
    const double sinceCall = origin - CaptureStartCallMs();
    if (sinceCall >= -kFromTheCallBeforeMs && sinceCall <= kFromTheCallAfterMs) {
        wait.anchor = 0;
        wait.anchorMs = std::min(origin, CaptureStartReturnedMs());
    }
    return wait;
}

std::uint64_t StartTickFrame(const CaptureWait& wait, double startedMs, double secondsIn, double framesPerMs) {
    // The capture went on from the anchor until the stream started, and the stream plays
    // `secondsIn` before the tick.
    const double ms = std::max(0.0, startedMs - wait.anchorMs) + std::max(0.0, secondsIn) * 1000;
    return wait.anchor + static_cast<std::uint64_t>(std::llround(ms * framesPerMs));
}

double StreamStartedMs(double calledMs) {
    std::vector<ClockReading> looks;
    std::uint32_t ms = 0;
    for (const double until = CaptureClockMs() + kStreamEdgeSpinMs; CaptureClockMs() < until;) {
        if (!PlaybackPositionMs(&ms)) return calledMs;
        looks.push_back({CaptureClockMs(), ms});
    }
    return StreamStartMs(calledMs, looks).value_or(calledMs);
}

}  // namespace solvena::engine
