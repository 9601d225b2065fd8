// The recording position page's picture of a song, as geometry and texts: a frame, one bar per
// track from its first note to its end, labels for the conductor list, and the x of any tick.
// The page turns it into small child windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "song/Song.h"

namespace solvena {

struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PictureRect&) const = default;
};

struct ConductorLabel {
    std::uint32_t kind = 0;  // marker, cue point, tempo, time signature or major bar line
    PictureRect rect;
    std::string text;  // none for a major bar line (a thin line)
};

struct SongPictureModel {
    std::uint32_t maxEnd = 0;            // the end tick the frame's width stands for
    std::vector<PictureRect> trackBars;  // one per track
    std::vector<ConductorLabel> labels;  // in conductor-list order
    std::optional<std::int64_t> endBar;  // the bar the end-bar edit is given, when there is a bar line
};

constexpr PictureRect kSongFrame{50, 150, 400, 60};
constexpr int kMarkerY = 130;
constexpr int kMarkerWidth = 3;
constexpr int kMarkerHeight = 100;

// The end tick of the first track whose end is greatest; the picture's scale.
std::uint32_t PictureScaleEnd(const Song& song, const TrackTable& tracks);

// x = tick × 400 / maxEnd + 50: tick 0 at 50, maxEnd at 450. Every tick sits at 50 when the song
// has no length. Computed wide, so long songs do not wrap around.
int XOfTick(std::uint32_t tick, std::uint32_t maxEnd);

// The label texts: a marker's or cue point's first bytes; beats per minute, "999" from 1000 on
// (and for a tempo of 0); a time signature as "n/d", or its numerator alone when that does not
// fit in three characters.
std::string ConductorLabelText(const ConductorEntry& entry);

SongPictureModel BuildSongPictureModel(const Song& song, const TrackTable& tracks);

}  // namespace solvena
