// The recording position page's picture of the loaded song (small child windows of the main
// window) and the two markers that follow the bar edits.
#pragma once

namespace solvena::app {

// Replaces the previous picture with one of mainSong and gives endBarEdit the song's last bar
// (whose change notification then moves the end marker).
void BuildSongPicture();
// Destroys the picture's windows and releases their lists.
void ReleaseSongPicture();
// The page change: the picture shows on page 1, each track with the bar of its selection look.
void ApplySongPictureMembership(int page);

}  // namespace solvena::app
