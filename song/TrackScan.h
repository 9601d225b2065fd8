// Derives the per-track information and the song's conductor entries from the raw tracks.
#pragma once

#include "song/Song.h"

namespace solvena {

// The window layer installs this to show the song title; null means nobody is listening.
using TitleLabelHook = void (*)(const char* title);
void SetTitleLabelHook(TitleLabelHook hook);

void ScanTracks(Song& song, TrackTable& tracks);

}  // namespace solvena
