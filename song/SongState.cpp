#include "song/SongState.h"

namespace solvena {

Song mainSong;
Song runSong;
TrackTable tracks;

void ReleaseSongs() {
    // Assigning fresh records frees the conductor lists, the track bytes and the name texts.
    mainSong = Song{};
    runSong = Song{};
    for (TrackInfo& track : tracks) track = TrackInfo{};
}

}  // namespace solvena
