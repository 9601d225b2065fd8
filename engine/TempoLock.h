// Putting a job's music on its capture's clock. The stream player times every record by the
// system's clock while the WAVE IN device samples by its own crystal; rather than resample what
// was recorded, the player's tempo is scaled so that every note sounds on the frame the tempo map
// gives it in the file (frame = seconds from the start tick × the file's rate).
//
// The lock keeps a model of the player: each record's place in the song, and the scale each wait
// was timed at. A player converts a record's delta into time with the tempo in force right after
// the record before it has played: a tempo record sets it, and so does the stream's tempo
// property, which the lock sets when the scale changes (it takes effect from the record after the
// one being waited for). Every fill's tempo records carry the scale in force when it is queued,
// so a tempo record that plays before the lock has set the property again plays at the scale its
// fill was queued with, and the model knows it.
//
// Each step compares where the next record will sound in the capture, by the measured rate of the
// capture's clock, with where the file wants it, and sets the scale that brings the two together
// over the next seconds of music: the capture's rate, plus a correction that takes out the phase
// error gathered before the rate was known.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/StreamBuffers.h"

namespace solvena {

// Where the file lies on the capture: a look at the capture's clock (frames, gaps included), the
// frame that is the file's first, and what the file's frames mean.
struct FilePlacement {
    double anchorMs = 0;
    double anchorFrames = 0;
    double firstFrame = 0;
    double delayMs = 0;       // the pair's delay: a note sounds in the capture that much after it is sent
    double leadInMs = 0;      // song time from the stream's start to the start tick
    std::uint32_t rate = 0;   // the file's frames per second
};

class TempoLock {
public:
    // The longest the scale strays from the capture's rate to take out a phase error, and the song
    // time over which it is taken out.
    static constexpr double kMaxCorrection = 0.005;
    static constexpr double kCatchUpMs = 1000;
    // Smaller changes of scale are not worth a call.
    static constexpr double kLeastChange = 2e-6;
    // No tempo is set this close to a record: the player may be converting its delta just then.
    static constexpr double kGuardMs = 5;

    // A job's stream at `division` ticks per quarter, played at `scale` (system time per song time)
    // from its start.
    void Load(std::span<const StreamFill> fills, std::uint32_t division, double scale);
    // The tempo the stream is set to before it starts: the player's default at the start scale.
    std::uint32_t StartTempo() const;
    // Gives the tempo records of fill `fill` (its bytes, as queued) the scale in force now.
    void ScaleFill(std::size_t fill, std::span<std::uint8_t> bytes);

    // The stream began to play at `ms` (the program's fine clock), for a file placed so.
    void Started(double ms, const FilePlacement& placement);
    bool HasStarted() const { return started_; }

    // One step at `now`, with the capture's clock at `framesPerMs`: the tempo to set, if any. With
    // `rateKnown` false only the phase error is worked out.
    std::optional<std::uint32_t> Step(double now, double framesPerMs, bool rateKnown);
    // The tempo was set at `ms`.
    void TempoSet(double ms, std::uint32_t tempo);

    // The phase error at the last step: how much later than its frame the next record will sound,
    // in milliseconds of the file (negative: earlier).
    double PhaseErrorMs() const { return phaseErrorMs_; }
    // The scale new fills and sets carry: system time per song time.
    double Scale() const { return scale_; }
    // Every record has played.
    bool Done() const { return started_ && next_ >= entries_.size(); }

private:
    struct Entry {
        double song = 0;              // ms from the stream's start, by the song's own tempos
        std::uint32_t fill = 0;
        std::uint32_t offset = 0;     // of a tempo record in its fill
        std::uint32_t songTempo = 0;  // a tempo record's own value; 0 for other records
        bool waits = false;           // its delta is not 0: the player waits before it
        double scale = 0;             // a tempo record's scale once its fill is queued
    };
    struct Set {
        double ms = 0;
        double scale = 0;
    };

    // Plays the model forward to `now`: every record due by then, with the sets made before each
    // conversion.
    void Advance(double now);
    void ApplySetsUpTo(double ms);
    // When the record being waited for sounds.
    double PendingTime() const;

    std::vector<Entry> entries_;
    std::vector<Set> sets_;
    double scale_ = 1;
    double startScale_ = 1;
    bool started_ = false;
    FilePlacement placement_;

    // The model's place: the next record, the time and song time of the last wait's end, the
    // scale in force for the next conversion and the song's tempo there.
    std::size_t next_ = 0;
    std::size_t nextSet_ = 0;
    double lastMs_ = 0;
    double lastSong_ = 0;
    double inForce_ = 1;
    std::uint32_t songTempo_ = 0;
    double phaseErrorMs_ = 0;
};

}  // namespace solvena
