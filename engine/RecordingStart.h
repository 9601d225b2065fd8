// Where a job's WAV file begins: the captured frame on which the job's start tick sounds. The
// capture runs before the stream starts; the run reads the capture's position at the stream's
// start, and the stream's own records say how long the lead-in before the start tick plays.
#pragma once

#include <cstdint>
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

}  // namespace solvena
