// After a good device check: measuring how late the chosen MIDI OUT → WAVE IN pair sounds, and
// keeping the delay for the jobs recorded on that pair.
#pragma once

#include <cstdint>

#include "engine/DeviceSeam.h"

namespace solvena::app {

// Asks whether to measure; on yes plays the notes, tells the result and keeps a good delay in
// the start folder's delays file. Not offered once a run has begun or while 録音's questions are
// up (the run would take the same devices); the user is told why.
void OfferDelayMeasurement(std::uint32_t midiOut, std::uint32_t waveIn, const devices::WaveFormat& format);

}  // namespace solvena::app
