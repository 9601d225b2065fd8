// Measuring how late a pair of devices sounds: short, sharp notes are played at known times
// while the capture runs, and each note's onset is looked for in the take.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace solvena {

// The notes of one measurement may differ by this much before it is not trusted.
inline constexpr double kMaxDelaySpreadMs = 2.0;
// A device whose notes differ by more (a software synthesizer behind a sound server sounds each
// note on the next block of its output) is measured again with more notes: under the jitter its
// delay holds, and the notes' median keeps it. Beyond this spread it is not kept at all.
inline constexpr double kMaxJitterSpreadMs = 20.0;

struct TakeFormat {
    std::uint32_t rate = 0;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t channels = 2;
};

// The first frame of the note that sounds loudest in frames [from, to) of the PCM take: the
// start of the sound that leads up to the window's peak without a pause of a few milliseconds.
// A frame counts as sounding from a tenth of the window's peak on. Nothing when the window's
// peak is below the silence limit of the finish report (or the window is empty).
std::optional<std::uint64_t> FindOnset(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                                       std::uint64_t from, std::uint64_t to);

enum class DelayVerdict {
    measured,
    notHeard,  // a note was not heard at all
    unsteady,  // the notes came back with more than kMaxDelaySpreadMs between them
    jittery,   // more notes, up to kMaxJitterSpreadMs apart: their median is kept
};

struct DelayMeasurement {
    DelayVerdict verdict = DelayVerdict::notHeard;
    double delayMs = 0;   // the notes' mean delay (their median when jittery)
    double spreadMs = 0;  // the latest note's delay less the earliest one's
    int heard = 0;        // notes found
    int notes = 0;        // notes played
};

// `noteFrames`: where each note would begin without any delay, in rising order. Each note is
// looked for from its own frame up to the next note's (the last one, as far as the one before
// it had). With `jitterAccepted`, notes up to kMaxJitterSpreadMs apart are jittery, not unsteady.
DelayMeasurement MeasureDelay(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                              std::span<const std::uint64_t> noteFrames, bool jitterAccepted = false);

}  // namespace solvena
