#include "engine/ClockFollower.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace solvena {

namespace {

// Gaps are judged once the line has this many points.
constexpr double kJudgingPoints = 5;
constexpr double kUnknownPpmError = 1e9;
constexpr double kNoLag = 1e300;

}  // namespace

void ClockFollower::Start(std::uint32_t rate, double ppm) {
    *this = ClockFollower{};
    rate_ = rate;
    nominal_ = rate / 1000.0;
    startPerMs_ = nominal_ * (1 + ppm / 1e6);
}

double ClockFollower::Slope() const {
    const double wxx = wxx_ + (seg_.n > 0 ? seg_.sxx - seg_.sx * seg_.sx / seg_.n : 0);
    const double wxy = wxy_ + (seg_.n > 0 ? seg_.sxy - seg_.sx * seg_.sy / seg_.n : 0);
    return wxx > 0 ? wxy / wxx : startPerMs_ - nominal_;
}

double ClockFollower::FramesPerMs() const { return points_ < 2 ? startPerMs_ : nominal_ + Slope(); }

double ClockFollower::Ppm() const { return nominal_ > 0 ? (FramesPerMs() / nominal_ - 1) * 1e6 : 0; }

double ClockFollower::PpmError() const {
    const double wxx = wxx_ + (seg_.n > 0 ? seg_.sxx - seg_.sx * seg_.sx / seg_.n : 0);
    if (points_ < 3 || wxx <= 0 || nominal_ <= 0) return kUnknownPpmError;
    // Var(slope) = s² / Sxx, with s² the points' mean square distance from the line.
    const double noise = NoiseFrames();
    return noise / std::sqrt(wxx) / nominal_ * 1e6;
}

double ClockFollower::NoiseFrames() const {
    const std::size_t n = std::min<std::size_t>(distancesSeen_, distances_.size());
    if (n == 0) return 0;
    std::array<double, kNoisePoints> sorted{};
    std::transform(distances_.begin(), distances_.begin() + static_cast<std::ptrdiff_t>(n), sorted.begin(),
                   [](double d) { return std::abs(d); });
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n / 2), sorted.begin() + static_cast<std::ptrdiff_t>(n));
    // The median distance of a normal spread is 0.6745 of its standard deviation; the median
    // is not moved by the few looks the system held up.
    return sorted[n / 2] / 0.6745;
}

double ClockFollower::NoiseMs() const { return nominal_ > 0 ? NoiseFrames() / nominal_ : 0; }

double ClockFollower::RecentOffsetMs() const {
    const std::size_t n = std::min<std::size_t>(distancesSeen_, kRecentPoints);
    if (n == 0 || nominal_ <= 0) return 0;
    double sum = 0;
    for (std::size_t k = 1; k <= n; ++k) sum += distances_[(distancesSeen_ - k) % distances_.size()];
    return sum / static_cast<double>(n) / nominal_;
}

double ClockFollower::Residual(double ms, double clockFrames) const {
    const double slope = Slope();
    const double intercept = seg_.n > 0 ? (seg_.sy - slope * seg_.sx) / seg_.n : lastIntercept_;
    const double x = ms - origin_.ms;
    const double y = clockFrames - static_cast<double>(origin_.count) - nominal_ * x;
    return y - (intercept + slope * x);
}

bool ClockFollower::Judged() const { return points_ >= kJudgingPoints; }

double ClockFollower::ThresholdFrames() const {
    return std::max(kMinGapMs * nominal_, 5 * NoiseFrames());
}

void ClockFollower::CloseWindow() {
    if (!windowBest_) return;
    const ClockReading best = *windowBest_;
    windowBest_.reset();
    if (points_ == 0) origin_ = best;
    const double x = best.ms - origin_.ms;
    const double y = static_cast<double>(best.count) - static_cast<double>(origin_.count) - nominal_ * x;
    if (points_ >= 2) {
        // The distance from the line before the point joins it: a fair measure of the next look's.
        distances_[distancesSeen_++ % distances_.size()] = Residual(best.ms, static_cast<double>(best.count));
    }
    points_ += 1;
    seg_.n += 1;
    seg_.sx += x;
    seg_.sy += y;
    seg_.sxx += x * x;
    seg_.sxy += x * y;
}

void ClockFollower::JoinWindow(const ClockReading& clock) {
    if (!windowBest_ || clock.ms - windowStart_ >= kWindowMs) {
        CloseWindow();
        windowStart_ = clock.ms;
        windowBest_ = clock;
        return;
    }
    // The look that puts the device's first frame earliest lags least.
    const double perMs = FramesPerMs();
    const auto origin = [perMs](const ClockReading& r) { return r.ms - static_cast<double>(r.count) / perMs; };
    if (origin(clock) < origin(*windowBest_)) windowBest_ = clock;
}

void ClockFollower::CloseGap(double lagFrames) {
    const double frames = lagFrames > ThresholdFrames() ? std::round(lagFrames) : 0;
    if (frames > 0) {
        closed_.push_back({gapAt_, static_cast<std::uint64_t>(frames)});
        gapFrames_ += static_cast<std::uint64_t>(frames);
        // The looks after it start a line of their own beside the earlier ones, of the same slope:
        // a length told a little wrong must not tilt the rate.
        if (seg_.n > 0) {
            lastIntercept_ = (seg_.sy - Slope() * seg_.sx) / seg_.n;
            wxx_ += seg_.sxx - seg_.sx * seg_.sx / seg_.n;
            wxy_ += seg_.sxy - seg_.sx * seg_.sy / seg_.n;
            seg_ = Sums{};
        }
    }
    gap_ = GapState::none;
    behind_ = 0;
    onLine_ = last_;
    stillCount_ = last_.count;
    stillSinceMs_ = last_.ms;
}

void ClockFollower::Add(const ClockReading& look) {
    if (rate_ == 0) return;
    const bool firstLook = looks_ == 0;
    if (firstLook) first_ = look;
    ++looks_;
    last_ = look;
    const ClockReading clock{look.ms, look.count + gapFrames_};
    const auto lag = [&] { return -Residual(clock.ms, static_cast<double>(clock.count)); };

    if (firstLook || look.count != stillCount_) {
        stillCount_ = look.count;
        stillSinceMs_ = look.ms;
    }
    const bool standing = !firstLook && look.ms - stillSinceMs_ >= kStillMs;

    switch (gap_) {
        case GapState::still:
            if (look.count == gapAt_) return;
            Resume(look.ms, lag());
            return;
        case GapState::resumed:
            // A gap found by a look far behind may turn out to go on: the count stands still again.
            if (standing) {
                gap_ = GapState::still;
                gapAt_ = look.count;
                return;
            }
            if (const double behind = lag(); behind <= lastLag_ + ThresholdFrames()) {
                // The count keeps pace again: this look tells the gap's length, taken as the line
                // takes its points, the least lagging of a window's.
                if (look.ms - lagWindowStart_ >= kWindowMs) {
                    FoldLagWindow();
                    lagWindowStart_ = look.ms;
                }
                lagWindowLeast_ = std::min(lagWindowLeast_, behind);
                lastLag_ = behind;
            } else {
                lastLag_ = behind;
            }
            if (GapSettled(look.ms)) {
                FoldLagWindow();
                CloseGap(lagSum_ / lagCount_);
            }
            return;
        case GapState::none:
            break;
    }
    if (!Judged()) {
        JoinWindow(clock);
        return;
    }
    // The window's look may have been taken as the gap began: it is let go.
    if (standing) {
        windowBest_.reset();
        gap_ = GapState::still;
        gapAt_ = look.count;
        return;
    }
    if (lag() > ThresholdFrames()) {
        // One look far behind the line was held up on its way; two in a row, and the device
        // delivered nothing for a while between the last look on the line and the first behind
        // it, somewhere among the frames delivered meanwhile.
        if (behind_++ == 0) {
            firstBehind_ = look.ms;
            return;
        }
        windowBest_.reset();
        gapAt_ = onLine_.count + (look.count - std::min(look.count, onLine_.count)) / 2;
        Resume(firstBehind_, lag());
        return;
    }
    behind_ = 0;
    onLine_ = look;
    JoinWindow(clock);
}

void ClockFollower::Resume(double ms, double lag) {
    gap_ = GapState::resumed;
    resumedMs_ = ms;
    lastLag_ = lag;
    lagSum_ = 0;
    lagCount_ = 0;
    lagWindowStart_ = -kWindowMs;
    lagWindowLeast_ = kNoLag;
}

void ClockFollower::FoldLagWindow() {
    if (lagWindowLeast_ == kNoLag) return;
    lagSum_ += lagWindowLeast_;
    ++lagCount_;
    lagWindowLeast_ = kNoLag;
}

bool ClockFollower::GapSettled(double ms) const {
    if (lagCount_ == 0 || ms - resumedMs_ < kGapSettleMs) return false;
    // Enough looks that their mean tells the length to a millisecond, or as many as come in two
    // seconds: the frames after the gap wait meanwhile.
    const double noiseMs = NoiseMs();
    return noiseMs * noiseMs / lagCount_ <= 1 || ms - resumedMs_ >= kMaxGapSettleMs;
}

void ClockFollower::Finish() {
    // A device that stood still to the end left nothing to place after the gap.
    if (gap_ == GapState::resumed) {
        FoldLagWindow();
        if (lagCount_ > 0) CloseGap(lagSum_ / lagCount_);
    }
    gap_ = GapState::none;
}

std::optional<std::uint64_t> ClockFollower::OpenGapAt() const {
    if (gap_ == GapState::none) return std::nullopt;
    return gapAt_;
}

std::vector<CaptureGap> ClockFollower::TakeClosedGaps() {
    std::vector<CaptureGap> taken;
    taken.swap(closed_);
    return taken;
}

}  // namespace solvena
