// The loopback studio's synthesizer: short MIDI messages scheduled at exact times on the studio
// clock become sine voices whose sum can be sampled at any time, so a capture renders exactly
// what was played however late it runs.
//
// A note-on (0x9n, velocity > 0) starts a sine at 440·2^((note − 69)/12) Hz with amplitude
// velocity/127 × 0.25, phase 0 at its start time. A note-off (0x8n, or 0x9n with velocity 0) of
// the same channel and note, or a new note-on of a note already sounding on that channel, starts
// a 5 ms linear release to silence. Controllers 120 and 123 (0xBn) cut the channel's voices at
// once. Every other message only goes into the played log. The voices are summed and clipped
// to [-1, 1].
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <span>
#include <vector>

#include "loopback/FrameClock.h"

namespace solvena::devices {

inline constexpr double kVoiceAmplitude = 0.25;  // of full scale, at velocity 127
inline constexpr double kReleaseSeconds = 0.005;
// The played log keeps the newest messages when nobody takes them (the program never does).
inline constexpr std::size_t kMaxPlayedMessages = 1u << 18;

struct PlayedMessage {
    double time = 0;
    std::uint32_t message = 0;  // status in bits 0-7, data in 8-15 and 16-23
};

double NoteFrequency(std::uint8_t note);

class VirtualSynth {
public:
    // Registers a short message due at `time` from `source` (a stream). Messages are applied in
    // due-time order, those of equal time in the order they were scheduled, so a time may lie
    // in the future; it must not lie before the last Apply's `now`.
    void Schedule(double time, std::uint32_t message, std::uint32_t source);

    // Plays every scheduled message due at or before `now` into the voices and the played log.
    void Apply(double now);

    // Forgets the source's messages due after `after`, to be scheduled anew; its voices sound on.
    void Unschedule(std::uint32_t source, double after);

    // Stops a source at `cutoff` (at or after `now`, the present): its messages due after the
    // cutoff never play, and its voices still sounding at the cutoff are released there.
    void Cancel(std::uint32_t source, double now, double cutoff);

    // out[i] = the output at clock.Time(first + i). Exact for any time at which every message
    // due up to it has been applied.
    void Render(const FrameClock& clock, std::uint64_t first, std::span<double> out) const;

    // Forgets voices that are silent from `horizon` on; call once nothing before it will be
    // rendered again.
    void Prune(double horizon);

    // The played log since the last call, oldest first.
    std::vector<PlayedMessage> TakePlayed();

    std::size_t VoiceCount() const { return voices_.size(); }
    std::size_t PendingCount() const { return pending_.size(); }

private:
    static constexpr double kNever = std::numeric_limits<double>::infinity();

    struct Pending {
        std::uint32_t message = 0;
        std::uint32_t source = 0;
        bool releaseSource = false;  // not a message: the source's voices are released here
    };

    struct Voice {
        std::uint8_t channel = 0;
        std::uint8_t note = 0;
        std::uint32_t source = 0;
        double frequency = 0;
        double amplitude = 0;
        double on = 0;
        double release = kNever;  // start of the release ramp
        double end = kNever;      // silent from here on
        bool SoundsAt(double t) const { return on <= t && t < end; }
        void ReleaseAt(double t);
        void CutAt(double t);
    };

    void Play(double time, const Pending& pending);
    void ReleaseSource(std::uint32_t source, double time);
    Voice* Held(std::uint8_t channel, std::uint8_t note, double time);

    std::multimap<double, Pending> pending_;
    std::vector<Voice> voices_;
    std::deque<PlayedMessage> played_;
};

}  // namespace solvena::devices
