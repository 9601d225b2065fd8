// The track page: sixteen rows of the song's tracks, four display modes, paging by eight.
#pragma once

#include <cstdint>

namespace solvena::app {

// Process-wide: the page of tracks shown and what the text beside each toggle says.
extern std::int32_t trackPage;
extern std::int32_t displayMode;

// Rewrites the whole page from mainSong, tracks, trackPage and displayMode, and enables the
// controls a loaded song makes usable (the recording position page, the WAV name, 読込, スタック).
void RefreshTrackPage();

}  // namespace solvena::app
