// The two songs and the one track table they share: mainSong is what the pages show and jobs
// are stacked from, runSong is what a run plays. User-interface thread only.
#pragma once

#include "song/Song.h"

namespace solvena {

extern Song mainSong;
extern Song runSong;
extern TrackTable tracks;

// Gives back every buffer the songs and the track table hold; both songs end up empty.
void ReleaseSongs();

}  // namespace solvena
