// A song's own clock, read straight from its tracks' bytes: every tempo change, marker and cue
// point of every track, the bar lines its time signatures draw, and its end. The run reads it for
// the song it has just loaded, whose tracks were never scanned for the pages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "song/Song.h"

namespace solvena {

struct TimedText {
    std::uint32_t tick = 0;
    std::string text;  // the text's own bytes, cut at a zero byte
};

struct SongTimeline {
    std::uint32_t division = 0;
    // Tick and microseconds per quarter, in tick order (tracks' changes at one tick in track order).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos;
    // Markers and cue points, in tick order.
    std::vector<TimedText> marks;
    // Bar lines (and the song end) as the pages number them.
    Song bars;
};

SongTimeline ReadSongTimeline(const Song& song, const TrackTable& tracks);

// Seconds from the song's start (tick 0) to `tick` by its tempo map (120 beats per minute until
// the first change).
double SecondsAtTick(const SongTimeline& timeline, std::uint32_t tick);
// The bar whose line lies at `tick` (0 for tick 0); nothing for a tick no bar line stands on.
std::optional<std::int32_t> BarAtTick(const SongTimeline& timeline, std::uint32_t tick);

}  // namespace solvena
