// What the track page shows: sixteen rows of the loaded song's tracks, eight tracks a page step,
// and which of its buttons can be pressed. Decided from the song alone, so it is tested natively.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "song/Song.h"

namespace solvena {

constexpr int kTrackRows = 16;
constexpr int kDisplayModes = 4;

enum DisplayMode : std::int32_t {
    kChannelMode = 0,     // "ch": port letter and MIDI channel
    kInstrumentMode = 1,  // "inst": the names files' name for bank and program
    kPartMode = 2,        // "part": the track's own instrument-name text
    kSizeMode = 3,        // "size": the track's length in bytes
};

struct TrackRow {
    bool used = false;  // a track of the song sits in this row
    std::string caption;
    std::string info;
    bool checked = false;
};

struct TrackPageView {
    std::array<TrackRow, kTrackRows> rows;
    bool previousEnabled = false;
    bool nextEnabled = false;
    std::array<bool, kDisplayModes> modeEnabled{};  // the current mode's button is the disabled one
};

// The track in row `row` of page `trackPage`: 8 × page + row (the right column repeats on the
// next page in the left one).
std::int64_t TrackOfRow(std::int32_t trackPage, int row);

// "A10": the letter 'A' + port, then the channel (0 for a track without note-ons).
std::string ChannelText(const TrackInfo& track);

// `instrumentName` is asked only in the "inst" mode, for each used row.
TrackPageView BuildTrackPageView(const Song& song, const TrackTable& tracks, std::int32_t trackPage,
                                 std::int32_t displayMode,
                                 const std::function<std::string(const TrackInfo&)>& instrumentName);

}  // namespace solvena
