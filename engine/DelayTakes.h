// The takes of a delay measurement: how many notes each plays, how far apart, and how long it
// sounds. The takes' streams play at 120 beats per minute.
#pragma once

#include <cstdint>

#include "engine/OnsetFinder.h"

namespace solvena {

inline constexpr std::uint32_t kTakeDivision = 480;  // a quarter: half a second at 120 bpm

struct TakePlan {
    int notes = 0;
    std::uint32_t spacing = 0;  // ticks from one note to the next
    bool jitterAccepted = false;
};

// Each note is looked for up to the next one, so a take measures a device less late than its
// spacing.
inline constexpr TakePlan kSteadyTake{5, kTakeDivision, false};

// A device whose first take was unsteady is measured again with more notes. They are spaced by
// the first take's latest note, the most they may jitter and a margin for the note's way up to
// its peak, so that every note still falls into its own window; never closer than a quarter of
// a second.
TakePlan JitterTake(const DelayMeasurement& first);
// The longest that take can be: after a first take that heard a note at the end of its window.
TakePlan LongestJitterTake();

double SpacingMs(const TakePlan& plan);
// From the stream's start to its end: a spacing of silence, the notes, and the last one's window.
double TakeSeconds(const TakePlan& plan);

}  // namespace solvena
