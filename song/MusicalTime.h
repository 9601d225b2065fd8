// The conductor list (tempo, time signatures, markers, bar lines) and musical time.
#pragma once

#include <cstdint>

#include "song/Song.h"

namespace solvena {

// Inserts after every entry with the same or an earlier tick. Returns false, changing
// nothing, when the song has no list or all its slots are in use.
bool InsertConductorEntry(std::uint32_t tick, std::uint32_t kind, std::uint8_t high, std::uint8_t middle,
                          std::uint8_t low, Song& song);

// Adds the song end (at the longest track's end) and the bar lines to the list. Bar numbers
// are what the user types as a job's start and end bar, so bar N must be the line the user
// sees as bar N in every song:
// - Bar 0 is the song start (tick 0) and has no line; bar 1 is the first bar line. A song
//   with no time signature before 4 quarters in (where a 4/4 grid has its first line) is
//   counted as if 4/4 stood at tick 0, so a signature exactly there starts bar 1.
// - Lines follow every bar length from the last signature (4/4 until the first one).
// - A signature starts a bar at its own tick and counts a number; past tick 0 that number
//   gets a bar line there, so that it names the signature's tick rather than no tick at all.
//   A signature at the same tick as the one before (tracks often repeat it) only sets the
//   bar length: it starts no second bar.
// - A signature or a marker restarts the grouping: the 9th, 17th... line after it is major
//   (a signature's own line is not counted).
// - Where the song does not end on a line, a major line at the song end closes it.
// A full list ends the lines where they stand.
void BuildBarLines(Song& song, const TrackTable& tracks);
// The same for a song that ends at `songEnd` (its longest track's end).
void BuildBarLines(Song& song, std::uint32_t songEnd);
// The tick of the first bar line numbered barNumber; 0 (the song start) for bar 0, for a
// number that no line carries and for one above the last bar's (the song-end line's).
std::uint32_t BarToTick(std::int32_t barNumber, const Song& song);
std::int32_t SecondsBetween(std::uint32_t startTick, std::uint32_t endTick, const Song& song);
// The value of the last bar line searching down from the end of the list; -1 when there is none.
std::int64_t LastBarNumber(const Song& song);

}  // namespace solvena
