// Standard MIDI Files built in memory for the benchmarks, the same bytes every run.
#pragma once

#include <cstdint>
#include <vector>

namespace solvena::bench {

// 16 tracks, about 30 KB: a conductor track with title, tempo and markers, and
// instrument tracks with names, bank and program, controllers and notes.
std::vector<std::uint8_t> MakeTypicalSong();

// The largest song the track table holds: 64 tracks of just under 65,536 bytes each,
// dense notes and controllers, with a tempo change on every beat in track 0.
std::vector<std::uint8_t> MakeMaximalSong();

}  // namespace solvena::bench
