// Merging a job's tracks into one time-ordered stream and cutting it to the job's range.
// The stream uses track encoding (delta time, then the event) with an explicit status byte
// on every event and no end-of-track event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "song/EventPrimitives.h"

namespace solvena {

constexpr std::size_t kMergeBufferSize = 524288;

// Starts at kMergeBufferSize zero bytes and grows, zero-filled, when a job's music needs more:
// losing notes would be worse than using the memory.
using MergeBuffer = std::vector<std::uint8_t>;

// The run's stream under construction and its used length (process-wide, one job at a time).
extern MergeBuffer mergeBuffer;
extern std::size_t mergedLength;

// A fresh zero-filled buffer of kMergeBufferSize bytes, length 0.
void CreateMergeBuffer();
// Frees the buffer's memory, length 0.
void ReleaseMergeBuffer();

// Merges one track into the first `length` bytes of `buffer` and returns the new length.
// Events at equal ticks keep the order of their tracks (the stream first). End of track and
// the meta events that playback has no use for are left out. An event that cannot be sized,
// or that runs past `trackData`, ends the track there.
std::size_t MergeTrack(MergeBuffer& buffer, std::size_t length, Bytes trackData, std::uint32_t trackLength);

struct TrackBytes {
    Bytes data;
    std::uint32_t length = 0;
};

// The same bytes as MergeTrack for each track in turn into an empty stream, in one pass
// instead of one pass per track; the buffer's old content is replaced.
std::size_t MergeTracks(MergeBuffer& buffer, std::span<const TrackBytes> tracks);

// Keeps the events up to and including the first one after endTick. Before startTick note
// events are dropped and everything else is kept 5 ticks apart, so the controller state is
// in place when the range begins. Rewrites the buffer in place; returns the new length
// (0 when nothing is left to play). `leadInEvents`, when given, gets the number of events kept
// before startTick: the start tick lies 5 ticks per lead-in event after the stream's start.
std::size_t TrimToRange(MergeBuffer& buffer, std::int32_t startTick, std::int32_t endTick, std::size_t length,
                        std::uint32_t* leadInEvents = nullptr);
constexpr std::uint32_t kLeadInSpacing = 5;

}  // namespace solvena
