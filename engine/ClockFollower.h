// Following a capture's clock through a job: the frames a WAVE IN device has delivered, read
// against the program's fine clock, give the rate at which its crystal samples (which differs
// from the system's clock by tens to thousands of ppm) and show where it delivered nothing.
//
// A driver hands frames over in steps and late by a varying time, so each look lags the capture
// by a little more or less: of the looks in each tenth of a second only the least lagging counts,
// and a least-squares line through those gives the rate, with its standard error. Only the slope
// is used, never the line's offset, so the lag the driver keeps for a whole open does not matter.
//
// A gap is a stretch of input the device never delivered: its count stands still while the
// clock runs on, then goes on behind the line by the stretch's length. The count standing still
// for a while opens a gap at the frames delivered so far (a look far behind the line opens one
// too); the looks of the next moments tell its length, or that the count caught up and there was
// none. Counts after a gap are counted on the device's clock, the gap's frames included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/RecordingStart.h"

namespace solvena {

struct CaptureGap {
    std::uint64_t atFrame = 0;  // frames delivered before it
    std::uint64_t frames = 0;   // frames of the device's clock never delivered
};

class ClockFollower {
public:
    // Each tenth of a second's least lagging look joins the line.
    static constexpr double kWindowMs = 100;
    // A count that stands still this long: the device delivers nothing.
    static constexpr double kStillMs = 40;
    // Looks after a gap for this long at least tell its length; at most this long, on a device
    // whose looks lag by very different times.
    static constexpr double kGapSettleMs = 300;
    static constexpr double kMaxGapSettleMs = 2000;
    // Smaller stretches are the looks' own noise, not a gap.
    static constexpr double kMinGapMs = 5;

    // A capture at `rate` frames per second, thought to run `ppm` fast until looks tell.
    void Start(std::uint32_t rate, double ppm = 0);
    // One look: the device had delivered `look.count` frames at `look.ms`.
    void Add(const ClockReading& look);
    // The capture ends: an open gap is closed with what the looks have told of it.
    void Finish();

    // Frames per millisecond of the system's clock, as measured, or as started until the line has
    // two points.
    double FramesPerMs() const;
    double Ppm() const;
    // The standard error of the measured rate, in ppm; huge until there are three points.
    double PpmError() const;
    // The spread of the least lagging looks about the line, in milliseconds.
    double NoiseMs() const;
    // How far the last three seconds' points lie from the line on average, in milliseconds: near
    // 0 while the line describes the device, far when its rate has moved.
    double RecentOffsetMs() const;
    // From the first look to the last, in milliseconds.
    double SpanMs() const { return looks_ > 0 ? last_.ms - first_.ms : 0; }
    bool Started() const { return rate_ > 0; }

    // Frames delivered before the gap the device is in now or has just left; nothing when none is
    // open. The frames it delivers after that count wait until the gap is closed.
    std::optional<std::uint64_t> OpenGapAt() const;
    // The gaps closed since the last call, in order.
    std::vector<CaptureGap> TakeClosedGaps();
    // Frames of the device's clock never delivered, over all closed gaps.
    std::uint64_t GapFrames() const { return gapFrames_; }

private:
    enum class GapState { none, still, resumed };

    // Clock frames minus where the line puts them at `ms`: negative when the count lags.
    double Residual(double ms, double clockFrames) const;
    // Frames per ms less the nominal rate: one slope for every stretch between gaps.
    double Slope() const;
    bool Judged() const;
    double ThresholdFrames() const;
    double NoiseFrames() const;
    void JoinWindow(const ClockReading& clock);
    void CloseWindow();
    void Resume(double ms, double lagFrames);
    void FoldLagWindow();
    bool GapSettled(double ms) const;
    void CloseGap(double lagFrames);

    double nominal_ = 0;  // frames per millisecond
    std::uint32_t rate_ = 0;
    double startPerMs_ = 0;
    std::uint64_t looks_ = 0;
    ClockReading first_{}, last_{};

    // The window being filled: its least lagging look, on the device's clock.
    double windowStart_ = 0;
    std::optional<ClockReading> windowBest_;

    // The line through the windows' least lagging looks, in sums about the first of them (x in
    // ms, y in frames less the nominal rate's): those of the stretch since the last gap, and the
    // spread about their own means of the stretches before.
    struct Sums {
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    };
    ClockReading origin_{};
    double points_ = 0;
    Sums seg_;
    double wxx_ = 0, wxy_ = 0;
    double lastIntercept_ = 0;
    // The last points' distances from the line before they joined it, in frames (negative:
    // behind it).
    static constexpr std::size_t kNoisePoints = 64;
    static constexpr std::size_t kRecentPoints = 30;
    std::array<double, kNoisePoints> distances_{};
    std::size_t distancesSeen_ = 0;
    // Looks in a row far behind the line, the first of them, and the last look on it.
    int behind_ = 0;
    double firstBehind_ = 0;
    ClockReading onLine_{};

    // Gaps.
    GapState gap_ = GapState::none;
    std::uint64_t gapAt_ = 0;
    double stillSinceMs_ = 0;
    std::uint64_t stillCount_ = 0;
    double resumedMs_ = 0;
    // The looks since the count moved again, in frames behind the line.
    double lastLag_ = 0;
    double lagSum_ = 0;
    double lagCount_ = 0;
    double lagWindowStart_ = 0;
    double lagWindowLeast_ = 0;
    std::uint64_t gapFrames_ = 0;
    std::vector<CaptureGap> closed_;
};

}  // namespace solvena
