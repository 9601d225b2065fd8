#include "song/MusicalTime.h"

#include <optional>

namespace solvena {

void Song::ResetConductor() {
    conductor.assign(kConductorSlots, ConductorEntry{});
    conductorLast = 0;
}

bool InsertConductorEntry(std::uint32_t tick, std::uint32_t kind, std::uint8_t high, std::uint8_t middle,
                          std::uint8_t low, Song& song) {
    // Slot 0 stays all zero, so a list of N slots holds N - 1 entries.
    if (song.conductor.empty() || song.conductorLast + 1 >= song.conductor.size()) return false;
    // Searching down from the top gives the same slot (after every entry with the same or an
    // earlier tick) and makes the common case, appending in tick order, constant time.
    std::uint32_t i = song.conductorLast + 1;
    while (i > 1 && tick < song.conductor[i - 1].tick) --i;
    for (std::uint32_t k = song.conductorLast; k >= i; --k) song.conductor[k + 1] = song.conductor[k];
    song.conductor[i] = ConductorEntry{tick, (kind << 24) | (std::uint32_t{high} << 16) |
                                                 (std::uint32_t{middle} << 8) | low};
    ++song.conductorLast;
    return true;
}

namespace {

bool IsBarLine(const ConductorEntry& e) { return e.Kind() == kBarLine || e.Kind() == kMajorBarLine; }

std::uint32_t LongestTrackEnd(const Song& song, const TrackTable& tracks) {
    std::uint32_t longest = 0;
    const std::uint32_t count = song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks;
    for (std::uint32_t t = 0; t < count; ++t)
        if (tracks[t].endTick > longest) longest = tracks[t].endTick;
    return longest;
}

std::uint32_t SignatureBarLength(const ConductorEntry& signature, std::uint32_t division) {
    const std::uint32_t numerator = (signature.Value() >> 16) & 0xFF;
    const std::uint32_t power = ((signature.Value() >> 8) & 0xFF) % 32;
    return (4 * division * numerator) >> power;
}

bool InsertBarLine(std::uint32_t tick, std::uint32_t kind, std::uint32_t barNumber, Song& song) {
    return InsertConductorEntry(tick, kind, static_cast<std::uint8_t>(barNumber >> 16),
                                static_cast<std::uint8_t>(barNumber >> 8), static_cast<std::uint8_t>(barNumber), song);
}

// Whether a time signature lies before the tick where a 4/4 grid from the song start would
// draw its first bar line. The list is in tick order, so the search stops at that tick.
bool SignatureBefore(std::uint32_t firstLineTick, const Song& song) {
    for (std::uint32_t i = 1; i <= song.conductorLast && i < song.conductor.size(); ++i) {
        if (song.conductor[i].tick >= firstLineTick) return false;
        if (song.conductor[i].Kind() == kTimeSignature) return true;
    }
    return false;
}

}  // namespace

void BuildBarLines(Song& song, const TrackTable& tracks) { BuildBarLines(song, LongestTrackEnd(song, tracks)); }

void BuildBarLines(Song& song, std::uint32_t songEnd) {
    if (!InsertConductorEntry(songEnd, kSongEnd, 0, 0, 0, song)) return;
    if (songEnd == 0) return;  // an empty song has no bars

    const auto division = static_cast<std::uint32_t>(song.division);
    std::uint32_t barLength = 4 * division;
    // Without a usable bar length no grid can be drawn; the loop below would never advance.
    if (barLength == 0) return;
    std::uint32_t barStart = 0;
    // A song that opens without a signature plays in 4/4 from its start, as if a signature
    // stood at tick 0 and counted bar 0: its first bar line is bar 1.
    std::uint32_t barNumber = SignatureBefore(barLength, song) ? 0 : 1;
    std::uint32_t linesSinceReset = 0;
    bool madeLine = false;
    std::uint32_t lastLineTick = 0;
    std::optional<std::uint32_t> signatureTick;
    auto restated = [&](const ConductorEntry& e) { return signatureTick && *signatureTick == e.tick; };

    // Slots below i are done: handled entries and the bar lines made so far. A line made at
    // next lands in slot i, ahead of the first entry past it, and ++i steps over it; a line
    // made at a signature's tick lands after that tick's entries and is passed over when the
    // walk reaches it, as any entry that is not a signature or a marker is.
    for (std::uint32_t i = 0; barStart < songEnd; ++i) {
        const std::uint32_t next = barStart + barLength;
        if (i <= song.conductorLast && next >= song.conductor[i].tick) {
            const ConductorEntry e = song.conductor[i];
            if (e.Kind() == kTimeSignature) {
                // A signature that gives no length keeps the previous one rather than stall the grid.
                if (const std::uint32_t length = SignatureBarLength(e, division); length != 0) barLength = length;
                // The same bar's signature again (tracks of a format 1 file often repeat it):
                // its length holds, but it starts no new bar.
                if (restated(e)) continue;
                signatureTick = e.tick;
                linesSinceReset = 0;
                barStart = e.tick;
                // The signature starts a bar, and the number it counts names its tick. Bar 0 and
                // tick 0 are the song start, which has no line. The line starts the grouping
                // afresh rather than counting in it, so the ninth line after it is the major one,
                // as before it had one.
                if (barNumber != 0 && e.tick != 0) {
                    if (!InsertBarLine(e.tick, kBarLine, barNumber, song)) return;  // the list is full
                    madeLine = true;
                    lastLineTick = e.tick;
                }
                ++barNumber;
            } else if (e.Kind() == kMarker) {
                linesSinceReset = 0;
            }
            continue;
        }
        if (next < barStart) break;  // past the end of the tick range
        barStart = next;
        const bool major = linesSinceReset != 0 && linesSinceReset % 8 == 0;
        if (!InsertBarLine(next, major ? kMajorBarLine : kBarLine, barNumber, song))
            return;  // the list is full: the bar lines stop here
        madeLine = true;
        lastLineTick = next;
        ++linesSinceReset;
        ++barNumber;
    }

    ++barNumber;
    if (!madeLine || lastLineTick != songEnd) InsertBarLine(songEnd, kMajorBarLine, barNumber, song);
}

std::uint32_t BarToTick(std::int32_t barNumber, const Song& song) {
    // Bar numbers are stored in 24 bits; a larger or negative number names no bar line.
    if (song.conductor.empty() || barNumber < 0 || barNumber > 0xFFFFFF) return 0;
    // The line that closes a song ending between bar lines carries a number past the last bar's
    // and lies before that bar's line: it marks the end, and names no bar a job could end on.
    if (barNumber > LastBarNumber(song)) return 0;
    for (std::uint32_t i = 0; i <= song.conductorLast && i < song.conductor.size(); ++i) {
        const ConductorEntry& e = song.conductor[i];
        if (IsBarLine(e) && e.Value() == static_cast<std::uint32_t>(barNumber)) return e.tick;
    }
    return 0;
}

std::int64_t LastBarNumber(const Song& song) {
    if (song.conductor.empty()) return -1;
    for (std::uint32_t i = song.conductorLast; i >= 1; --i) {
        if (IsBarLine(song.conductor[i])) return song.conductor[i].Value();
    }
    return -1;
}

std::int32_t SecondsBetween(std::uint32_t startTick, std::uint32_t endTick, const Song& song) {
    const auto division = static_cast<std::uint32_t>(song.division);
    // A rate of zero (no division, or a huge tempo) would divide by zero; one tick a second is
    // the slowest time that still counts.
    auto rate = [](std::uint32_t r) { return r == 0 ? 1u : r; };
    std::uint32_t ticksPerSecond = rate(2 * division);
    std::uint32_t previous = startTick;
    std::uint32_t seconds = 0;
    for (std::uint32_t i = 0; i <= song.conductorLast && i < song.conductor.size(); ++i) {
        const ConductorEntry& e = song.conductor[i];
        if (e.tick > endTick) break;
        if (e.Kind() != kTempo) continue;
        if (e.tick > startTick) {
            seconds += (e.tick - previous) / ticksPerSecond;
            previous = e.tick;
        }
        // Below 100 microseconds a quarter the rate formula divides by zero; such tempos count as 100.
        const std::uint32_t microseconds = e.Value() < 100 ? 100 : e.Value();
        ticksPerSecond = rate((division * 10000u) / (microseconds / 100u));
    }
    const auto rest = static_cast<std::int32_t>(endTick - previous) / static_cast<std::int32_t>(ticksPerSecond);
    // Added as unsigned so that absurd tick ranges wrap instead of overflowing.
    return static_cast<std::int32_t>(seconds + static_cast<std::uint32_t>(rest));
}

}  // namespace solvena
