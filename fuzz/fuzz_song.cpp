// libFuzzer target: whatever bytes arrive are opened the way the main window opens a
// song, then asked the musical-time questions the pages and stacking ask.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <span>

#include "song/MusicalTime.h"
#include "song/Song.h"
#include "song/SongLoader.h"
#include "song/TrackScan.h"

namespace {

using solvena::Song;
using solvena::TrackTable;

// Reads 4 bytes from the end of the input, walking backwards; the file reader looks at
// the front, so the two mostly draw on different bytes.
std::uint32_t TailWord(std::span<const std::uint8_t> bytes, std::size_t slot) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t back = slot * 4 + k + 1;
        value = (value << 8) | (back <= bytes.size() ? bytes[bytes.size() - back] : 0u);
    }
    return value;
}

// The conductor list must stay ordered with slot 0 untouched and inside its slots;
// a broken list is a finding even when nothing crashes.
void CheckConductor(const Song& song) {
    if (song.conductor.size() != solvena::kConductorSlots) __builtin_trap();
    if (song.conductorLast >= song.conductor.size()) __builtin_trap();
    if (song.conductor[0].tick != 0 || song.conductor[0].word != 0) __builtin_trap();
    for (std::uint32_t i = 1; i <= song.conductorLast; ++i) {
        if (song.conductor[i].tick < song.conductor[i - 1].tick) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Reused across inputs, as the program reuses its one song and track table.
    static Song song;
    static TrackTable tracks;

    const std::span<const std::uint8_t> bytes(data, size);
    if (!solvena::LoadSongFromBytes(bytes, song, tracks)) return 0;

    song.ResetConductor();
    song.title.fill('\0');
    for (solvena::TrackInfo& t : tracks) t.selected = 0;
    solvena::ScanTracks(song, tracks);
    solvena::BuildBarLines(song, tracks);
    CheckConductor(song);

    const std::int64_t lastBar = solvena::LastBarNumber(song);
    if (lastBar < -1 || lastBar > 0xFFFFFF) __builtin_trap();

    const auto barA = static_cast<std::int32_t>(TailWord(bytes, 0));
    const auto barB = static_cast<std::int32_t>(TailWord(bytes, 1) & 0xFFFF);
    const std::int32_t bars[] = {0, 1, barA, barB, static_cast<std::int32_t>(lastBar),
                                 static_cast<std::int32_t>(lastBar + 1), -1,
                                 std::numeric_limits<std::int32_t>::min()};
    std::uint32_t ticks[std::size(bars)];
    for (std::size_t k = 0; k < std::size(bars); ++k) ticks[k] = solvena::BarToTick(bars[k], song);
    // Bar lines never lie at tick 0, and the last one is found again by its own number.
    if (lastBar >= 0 && ticks[4] == 0) __builtin_trap();
    // Nothing past the last bar is a bar, the song-end line's number included.
    if (ticks[5] != 0) __builtin_trap();

    const std::uint32_t rawStart = TailWord(bytes, 2);
    const std::uint32_t rawEnd = TailWord(bytes, 3);
    const std::uint32_t pairs[][2] = {
        {ticks[0], ticks[4]}, {ticks[2], ticks[3]}, {ticks[3], ticks[2]}, {rawStart, rawEnd},
        {0, std::numeric_limits<std::uint32_t>::max()}, {std::numeric_limits<std::uint32_t>::max(), 0},
    };
    for (const auto& p : pairs) (void)solvena::SecondsBetween(p[0], p[1], song);
    if (solvena::SecondsBetween(rawStart, rawStart, song) != 0) __builtin_trap();
    return 0;
}
