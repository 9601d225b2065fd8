// Measuring how late one MIDI OUT → WAVE IN pair sounds: short, sharp notes are played and
// recorded exactly as a job is, and their onsets are looked for in the take (see DelayTakes.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/OnsetFinder.h"

namespace solvena::engine {

struct DelayRequest {
    std::uint32_t midiOut = 0;
    std::uint32_t waveIn = 0;
    std::uint32_t rate = 44100;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t channels = 2;
};

// Plays the notes and records them, in a message loop of its own: `owner` is disabled meanwhile
// and gets the device reports. Nothing when the pair could not play or record them (each
// failing call has been reported).
std::optional<DelayMeasurement> MeasurePairDelay(const DelayRequest& request, HWND owner);

// Whether a measurement is playing and recording now: it holds the run's devices and buffers.
bool MeasuringDelay();

// Writes the pair's delay into the delays file at `path`, replacing the pair's line and keeping
// every other. False when the devices have no names or names a line cannot hold, or the file
// cannot be read or written.
bool KeepPairDelay(const std::string& path, std::uint32_t midiOut, std::uint32_t waveIn, std::uint32_t micros);

}  // namespace solvena::engine
