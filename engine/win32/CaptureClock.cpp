#include "engine/win32/CaptureClock.h"

#include <algorithm>
#include <cmath>

#include "engine/win32/Capture.h"
#include "engine/win32/CaptureStart.h"
#include "engine/win32/Playback.h"

namespace solvena::engine {

namespace {

// Once the music is this close to its frames the lock holds; beyond the second bound it has lost
// hold, as when the looks stop coming for the third's time or the device's rate moves away from
// the line.
constexpr double kHoldMs = 1;
constexpr double kLostMs = 5;
constexpr double kLooksLostMs = 2000;

void NoteGap(CaptureClock& clock, const CaptureGap& gap, std::uint64_t gapFramesBefore) {
    // A gap found while nothing waited for it (before the music) opens where the writing stands.
    OpenCaptureGap(gap.atFrame);
    CloseCaptureGap(gap.frames);
    const std::uint64_t at = gap.atFrame + gapFramesBefore;
    // A gap before the file's first frame only moved the frames before it.
    if (!clock.placed || at + gap.frames <= clock.firstFrame) return;
    const double fileFrame = static_cast<double>(at) - static_cast<double>(clock.firstFrame);
    clock.gaps.push_back({std::max(0.0, fileFrame) / clock.rate, gap.frames * 1000.0 / clock.rate});
}

void TakeGaps(CaptureClock& clock) {
    std::uint64_t before = clock.follower.GapFrames();
    std::vector<CaptureGap> closed = clock.follower.TakeClosedGaps();
    for (const CaptureGap& gap : closed) before -= gap.frames;
    for (const CaptureGap& gap : closed) {
        NoteGap(clock, gap, before);
        before += gap.frames;
    }
    // A gap the follower dropped (the count caught up) lets what waited go on as it came.
    if (!clock.follower.OpenGapAt() && CaptureGapOpen()) CloseCaptureGap(0);
}

void JudgeHold(CaptureClock& clock, double ms) {
    if (!clock.lock.HasStarted() || clock.follower.PpmError() >= kTrustedPpmError) return;
    const double error = std::abs(clock.lock.PhaseErrorMs());
    if (!clock.held) {
        clock.held = error <= kHoldMs;
        return;
    }
    clock.largestErrorMs = std::max(clock.largestErrorMs, error);
    const bool moved = std::abs(clock.follower.RecentOffsetMs()) > std::max(kLostMs, 3 * clock.follower.NoiseMs());
    const bool blind = ms - clock.lastLookMs > kLooksLostMs;
    if (error > kLostMs || moved || blind) clock.lost = true;
}

void Look(CaptureClock& clock) {
    std::uint32_t count = 0;
    const bool told = CapturePosition(&count);
    const double ms = CaptureClockMs();
    if (!told) {
        JudgeHold(clock, ms);
        return;
    }
    // A driver's count is 32 bits wide: at 192 kHz it wraps after six hours.
    if (count < clock.lastCount) clock.wraps += std::uint64_t{1} << 32;
    clock.lastCount = count;
    clock.follower.Add({ms, clock.wraps + count});
    clock.lastLookMs = ms;
    if (const std::optional<std::uint64_t> at = clock.follower.OpenGapAt()) OpenCaptureGap(*at);
    TakeGaps(clock);
    if (!clock.lock.HasStarted()) return;
    if (const std::optional<std::uint32_t> tempo = clock.lock.Step(ms, KnownFramesPerMs(clock), true)) {
        if (SetPlaybackTempo(*tempo)) clock.lock.TempoSet(CaptureClockMs(), *tempo);
    }
    JudgeHold(clock, ms);
}

}  // namespace

void BeginCaptureClock(CaptureClock& clock, std::uint32_t rate, double ppm) {
    clock = CaptureClock{};
    clock.rate = rate;
    clock.startPpm = ppm;
    clock.follower.Start(rate, ppm);
}

double KnownFramesPerMs(const CaptureClock& clock) {
    if (clock.follower.PpmError() < kTrustedPpmError) return clock.follower.FramesPerMs();
    return clock.rate / 1000.0 * (1 + clock.startPpm / 1e6);
}

void StartLookingAtCapture(CaptureClock& clock, HWND window) {
    clock.musicStartMs = CaptureClockMs();
    clock.quickLooks = true;
    Look(clock);
    SetTimer(window, kClockLookTimer, kFirstClockLookPeriodMs, nullptr);
}

void LookAtCapture(CaptureClock& clock, HWND window) {
    Look(clock);
    if (clock.quickLooks && clock.lastLookMs - clock.musicStartMs >= kFirstLooksMs) {
        clock.quickLooks = false;
        SetTimer(window, kClockLookTimer, kClockLookPeriodMs, nullptr);
    }
}

ClockReport EndCaptureClock(CaptureClock& clock) {
    Look(clock);
    clock.follower.Finish();
    TakeGaps(clock);
    ClockReport report;
    report.measured = clock.follower.PpmError() < kTrustedPpmError;
    report.ppm = clock.follower.Ppm();
    report.ppmError = clock.follower.PpmError();
    report.lockLost = clock.lost;
    report.largestErrorMs = clock.largestErrorMs;
    return report;
}

}  // namespace solvena::engine
