// The conductor list (tempo, time signatures, markers, bar lines) and musical time.
#pragma once

#include <cstdint>

#include "song/Song.h"

namespace solvena {

// Inserts after every entry with the same or an earlier tick. Returns false, changing
// nothing, when the song has no list or all its slots are in use.
bool InsertConductorEntry(std::uint32_t tick, std::uint32_t kind, std::uint8_t high, std::uint8_t middle,
                          std::uint8_t low, Song& song);

void BuildBarLines(Song& song, const TrackTable& tracks);
std::uint32_t BarToTick(std::int32_t barNumber, const Song& song);
std::int32_t SecondsBetween(std::uint32_t startTick, std::uint32_t endTick, const Song& song);
// The value of the last bar line searching down from the end of the list; -1 when there is none.
std::int64_t LastBarNumber(const Song& song);

}  // namespace solvena
