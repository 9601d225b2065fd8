// Measuring how late a pair of devices sounds: short, sharp notes are played at known times
// while the capture runs, and each note's onset is looked for in the take.
#pragma once

#include <cstdint>
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

enum class DelayVerdict {
    measured,
    notHeard,  // a note was not heard at all
    unsteady,  // the notes came back with more than kMaxDelaySpreadMs between them
    jittery,   // more notes, up to kMaxJitterSpreadMs apart: their median is kept
    drowned,   // a note could not be told from what the input records anyway (its noise or hum)
};

struct DelayMeasurement {
    DelayVerdict verdict = DelayVerdict::notHeard;
    double delayMs = 0;   // the notes' mean delay (their median when jittery)
    double spreadMs = 0;  // the latest note's delay less the earliest one's
    double earliestMs = 0;
    double latestMs = 0;
    double limitMs = kMaxDelaySpreadMs;  // the spread beyond which the notes were unsteady
    int heard = 0;        // notes found
    int notes = 0;        // notes played
};

// `pcm`: the take, 8 bits unsigned or 16 to 32 bits signed. `noteFrames`: where each note would
// begin without any delay, in rising order; the frames before the first one hold what the input
// records with no note. Its DC offset is taken out of the whole take, and the loudest that is
// left of it there (noise, hum) is the floor the notes are judged against. Each note is looked
// for from its own frame up to the next note's (the last one, as far as the one before it had):
// its onset is the first frame of the sound that leads up to the window's peak, after a pause of
// a few milliseconds. A note is heard when its peak reaches the silence limit of the finish
// report and stands well above the floor; a frame sounds from a tenth of that peak on, and never
// as low as the floor. Sound that was already there when the window began is no onset, but the
// placing of the frames may show a device that sounds at once up to half a millisecond early:
// that is 0 ms. With `jitterAccepted`, notes up to kMaxJitterSpreadMs apart are jittery, not
// unsteady.
DelayMeasurement MeasureDelay(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                              std::span<const std::uint64_t> noteFrames, bool jitterAccepted = false);

}  // namespace solvena
