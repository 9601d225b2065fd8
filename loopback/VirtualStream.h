// A loopback MIDI stream: the queued buffers of one open stream, when each of their records is
// due on the studio clock, and which notifications fall due when.
//
// A record is due at the previous record's time + delta × tempo / division (tempo in
// microseconds per quarter, 500,000 until the first tempo record; division in ticks per
// quarter, 96 until set). The first record after restart counts from the restart time. A tempo
// record takes effect for the records after it. A buffer whose first record is already overdue
// when it is placed (queued on a running stream, or queued while paused and placed at restart)
// starts at once: its first record is due "now" and the rest keep their spacing from there, as
// on a device that ran out of buffers.
//
// A tempo set on the stream (the tempo property) works as on a player that converts each
// record's delta into time with the tempo in force when it starts waiting for that record, right
// after the record before it has played. The first record not yet due when the tempo is set
// keeps its time; every record after it, in its buffer and those behind, counts its delta with
// the new tempo (and the division then in force), until a tempo record of the stream (the awaited
// one included) sets its own as it plays; their callbacks and done times move with them, and
// buffers queued later count on from the last of them. With nothing awaited, the next records
// placed count from the last one with the new tempo; on a stream not yet restarted it is simply
// the tempo its first records play at.
//
// Short messages go to the synth when their buffer is placed, so every sound is known before it
// is due; a device with a latency sounds each one that much after its time. A tempo set takes
// back the sounds of the records it re-times and schedules them anew. A record with the
// callback flag brings a position notification at its time, with the header's offset set to the
// record's byte offset; a buffer is done at its last record's time (an empty one when placed,
// but never before the buffer ahead of it). Long messages are read past and otherwise ignored;
// bytes after the last whole record are ignored.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "engine/DeviceSeam.h"
#include "engine/StreamBuffers.h"
#include "loopback/VirtualSynth.h"

namespace solvena::devices {

inline constexpr std::uint32_t kDefaultDivision = 96;
inline constexpr std::uint32_t kDefaultTempo = 500000;
// Ticks per quarter only: SMPTE divisions (top bit set) are refused.
inline constexpr std::uint32_t kMaxDivision = 0x7FFF;
// What a tempo record's 24 bits can carry, in microseconds per quarter.
inline constexpr std::uint32_t kMaxTempo = 0xFFFFFF;

// One record of a queued buffer.
struct QueuedRecord {
    std::uint32_t offset = 0;  // of its first byte in the buffer
    std::uint32_t delta = 0;
    std::uint32_t event = 0;
};

// The whole records of a buffer's recorded bytes.
std::vector<QueuedRecord> DecodeQueuedRecords(std::span<const std::uint8_t> bytes);

using solvena::IsShortMessageRecord;
using solvena::IsTempoRecord;
bool HasCallbackFlag(std::uint32_t event);

struct TimedRecord {
    double time = 0;
    QueuedRecord record;
};

// Due times of a stream's records, buffer after buffer.
class StreamTimeline {
public:
    // False (nothing changed) for 0 or an SMPTE division. Records placed later use it.
    bool SetDivision(std::uint32_t division);
    // The stream clock starts at `origin`.
    void Start(double origin);
    // The times of one buffer's records, placed at `now` (on or after the last placement).
    std::vector<TimedRecord> Place(std::span<const QueuedRecord> records, double now);
    // The time of the last record placed (the origin before any).
    double LastTime() const { return lastTime_; }
    // The records placed next follow one at `time` and count at `tempo`, until a tempo record.
    void Resume(double time, std::uint32_t tempo);

private:
    double TimeAfter(std::uint32_t delta) const;

    std::uint32_t division_ = kDefaultDivision;
    std::uint32_t tempo_ = kDefaultTempo;
    // Times count from the record that began the current tempo, so long runs do not drift.
    double segmentStart_ = 0;
    std::uint64_t segmentTicks_ = 0;
    double lastTime_ = 0;
};

struct StreamNotice {
    std::uint32_t message = 0;  // kMmMomPositionCb or kMmMomDone
    MidiHeader* header = nullptr;
};

class VirtualStream {
public:
    // `source` tells this stream's sounds apart in the synth; `latency` is in seconds. A stream
    // that stalls after N buffers never plays, finishes or reports a buffer after its Nth.
    explicit VirtualStream(std::uint32_t source, double latency = 0, std::optional<std::uint32_t> stallAfter = {})
        : source_(source), latency_(latency), stallAfter_(stallAfter) {}

    MmResult SetDivision(std::uint32_t division);
    // Sets the tempo at `now` (on or after the last Advance), as described above; 11 for 0 or
    // a tempo above kMaxTempo.
    MmResult SetTempo(std::uint32_t tempo, double now, VirtualSynth& synth);
    // Starts the stream clock (once; a running stream stays as it is).
    void Restart(double now, VirtualSynth& synth);
    static MmResult Prepare(MidiHeader* header);
    MmResult Out(MidiHeader* header, double now, VirtualSynth& synth);
    static MmResult Unprepare(MidiHeader* header);
    // Appends the notifications due at `now`, in order, and updates their headers: the offset
    // before a position notification, done and out of the queue before a done notification.
    void Advance(double now, std::vector<StreamNotice>& notices);
    // Stops at `now`: records not yet due never play, the stream's notes still sounding once
    // what was sent has been heard are released, and the queued headers are marked done without
    // notifications.
    void Close(double now, VirtualSynth& synth);

    bool Running() const { return running_; }
    // Whole milliseconds since the restart; 0 before it.
    std::uint32_t PositionMs(double now) const;
    std::size_t QueuedCount() const { return queue_.size(); }

private:
    struct Queued {
        MidiHeader* header = nullptr;
        std::vector<QueuedRecord> records;
        bool placed = false;
        bool stalled = false;
        double placedAt = 0;
        std::vector<TimedRecord> timed;  // once placed
        std::size_t nextRecord = 0;      // the first whose time Advance has not reached
        double doneTime = 0;
    };

    void Place(Queued& queued, double now, VirtualSynth& synth);
    // Schedules the sounds of the buffer's timed records from `first` on and fixes its done time.
    void Sound(Queued& queued, std::size_t first, VirtualSynth& synth);
    // Times anew every record after record `pending` of queued buffer `buffer`.
    void Retime(std::size_t buffer, std::size_t pending, std::uint32_t tempo, double now, VirtualSynth& synth);

    std::uint32_t source_;
    double latency_;
    std::optional<std::uint32_t> stallAfter_;
    std::uint32_t placedCount_ = 0;
    bool running_ = false;
    double startedAt_ = 0;
    StreamTimeline timeline_;
    double lastDone_ = 0;
    std::deque<Queued> queue_;
};

}  // namespace solvena::devices
