#include "engine/DelayTakes.h"

#include <algorithm>
#include <cmath>

namespace solvena {

namespace {

constexpr int kJitterTakeNotes = 16;
constexpr double kQuarterMs = 500;
constexpr double kClosestSpacingMs = 250;
// Enough for a note to reach its peak, and for the one before to have died away, in its window.
constexpr double kWindowMarginMs = 100;

}  // namespace

TakePlan JitterTake(const DelayMeasurement& first) {
    // No note of the first take lay later than its window's end.
    const double latestMs = std::clamp(first.latestMs, 0.0, SpacingMs(kSteadyTake));
    const double spacingMs = std::max(kClosestSpacingMs, latestMs + kMaxJitterSpreadMs + kWindowMarginMs);
    const auto ticks = static_cast<std::uint32_t>(std::ceil(spacingMs * kTakeDivision / kQuarterMs));
    return {kJitterTakeNotes, ticks, true};
}

TakePlan LongestJitterTake() {
    DelayMeasurement first;
    first.latestMs = SpacingMs(kSteadyTake);
    return JitterTake(first);
}

double SpacingMs(const TakePlan& plan) { return plan.spacing * kQuarterMs / kTakeDivision; }

double TakeSeconds(const TakePlan& plan) { return (plan.notes + 1) * SpacingMs(plan) / 1000; }

}  // namespace solvena
