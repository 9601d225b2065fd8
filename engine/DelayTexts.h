// What the delay measurement says to the user: its question, built from the takes it may play,
// and its result, built from the take that gave it. UTF-8 here; the Windows build turns the
// literals into code page 932.
#pragma once

#include <string>

#include "engine/OnsetFinder.h"

namespace solvena {

std::string DelayQuestion();

// How far one note lay from the delay kept: the median of jittering notes may lie anywhere
// between the earliest and the latest.
double FarthestNoteMs(const DelayMeasurement& result);

std::string DelayResultText(const DelayMeasurement& result);

}  // namespace solvena
