// Where a job's WAV file begins: the captured frame on which the job's start tick sounds. The
// capture runs before the stream starts; the run reads the capture's position at the stream's
// start, and the stream's own records say how long the lead-in before the start tick plays.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "engine/StreamBuffers.h"

namespace solvena {

// The stream service's tempo before a stream's first tempo record: 120 beats per minute.
constexpr std::uint32_t kStreamDefaultTempo = 500000;

// Seconds from the stream's start to stream tick `tick`, by the records' delta times at
// `division` ticks per quarter and the tempo records among them (each one counts for the ticks
// after it).
double StreamSecondsToTick(std::span<const StreamFill> fills, std::uint32_t division, std::uint64_t tick);

// Seconds from the stream's start to its last record: how long it plays.
double StreamLengthSeconds(std::span<const StreamFill> fills, std::uint32_t division);

// The frame `seconds` after frame `anchor` of a capture at `rate` frames per second, to the
// nearest frame.
std::uint64_t FrameAfter(std::uint64_t anchor, double seconds, std::uint32_t rate);

// One look at a device's count (a capture's frames, a stream's milliseconds) and when it was
// taken, in milliseconds of the program's fine clock.
struct ClockReading {
    double ms = 0;
    std::uint64_t count = 0;
};

// Of two looks at a capture's frame count, the one that lags least behind the frames captured.
// A driver hands frames over in steps and late by a time that changes from step to step, so
// the count lags the capture by a varying amount; the least lagging look places the capture best.
ClockReading LeastLagging(const ClockReading& kept, const ClockReading& next, std::uint32_t rate);

// When a stream started, on the program's clock, from looks at its position in milliseconds
// taken one after another once its restart was called at `calledMs`: the moment the count
// changes, the stream has played exactly that long. A look the system delayed only shows a
// later start, so the earliest counts. A player whose count runs ahead (jumping to its next
// event) would put the start before the call, so the start is kept between the call and the
// first look. Nothing when the count never changed.
std::optional<double> StreamStartMs(double calledMs, std::span<const ClockReading> readings);

}  // namespace solvena
