#include "loopback/VirtualStream.h"

#include <algorithm>

#include "engine/StreamBuffers.h"

namespace solvena::devices {

std::vector<QueuedRecord> DecodeQueuedRecords(std::span<const std::uint8_t> bytes) {
    std::vector<StreamRecord> decoded;
    DecodeStreamRecords(bytes, decoded);  // a partial record at the end is left out
    std::vector<QueuedRecord> records;
    records.reserve(decoded.size());
    std::uint32_t offset = 0;
    for (const StreamRecord& r : decoded) {
        records.push_back(QueuedRecord{offset, r.delta, r.event});
        offset += kRecordHeaderSize + static_cast<std::uint32_t>(r.params.size());
    }
    return records;
}

bool HasCallbackFlag(std::uint32_t event) { return (event & kMevtFCallback) != 0; }

bool StreamTimeline::SetDivision(std::uint32_t division) {
    if (division == 0 || division > kMaxDivision) return false;
    segmentStart_ = lastTime_;
    segmentTicks_ = 0;
    division_ = division;
    return true;
}

void StreamTimeline::Start(double origin) {
    segmentStart_ = origin;
    segmentTicks_ = 0;
    lastTime_ = origin;
}

void StreamTimeline::Resume(double time, std::uint32_t tempo) {
    segmentStart_ = time;
    segmentTicks_ = 0;
    lastTime_ = time;
    tempo_ = tempo;
}

double StreamTimeline::TimeAfter(std::uint32_t delta) const {
    const double ticks = static_cast<double>(segmentTicks_ + delta);
    return segmentStart_ + ticks * tempo_ / (static_cast<double>(division_) * 1e6);
}

std::vector<TimedRecord> StreamTimeline::Place(std::span<const QueuedRecord> records, double now) {
    std::vector<TimedRecord> timed;
    timed.reserve(records.size());
    for (const QueuedRecord& record : records) {
        double time = TimeAfter(record.delta);
        if (timed.empty() && time < now) {
            // Starved: the buffer starts now and keeps its own spacing from there.
            segmentStart_ = now;
            segmentTicks_ = 0;
            time = now;
        } else {
            segmentTicks_ += record.delta;
        }
        if (IsTempoRecord(record.event)) {
            segmentStart_ = time;
            segmentTicks_ = 0;
            tempo_ = record.event & kMevtValueMask;
        }
        lastTime_ = time;
        timed.push_back(TimedRecord{time, record});
    }
    return timed;
}

MmResult VirtualStream::SetDivision(std::uint32_t division) {
    return timeline_.SetDivision(division) ? kMmNoError : kMmInvalidParam;
}

MmResult VirtualStream::SetTempo(std::uint32_t tempo, double now, VirtualSynth& synth) {
    if (tempo == 0 || tempo > kMaxTempo) return kMmInvalidParam;
    // The awaited record: the first whose sound is not yet given for good, compared as the synth
    // sees it, so exactly the sounds taken back are scheduled again.
    const double heard = now + latency_;
    for (std::size_t b = 0; b < queue_.size() && !queue_[b].stalled; ++b) {
        const std::vector<TimedRecord>& timed = queue_[b].timed;
        const auto awaited = std::find_if(timed.begin(), timed.end(),
                                          [this, heard](const TimedRecord& t) { return t.time + latency_ > heard; });
        if (awaited != timed.end()) {
            Retime(b, static_cast<std::size_t>(awaited - timed.begin()), tempo, now, synth);
            return kMmNoError;
        }
    }
    timeline_.Resume(timeline_.LastTime(), tempo);
    return kMmNoError;
}

void VirtualStream::Retime(std::size_t buffer, std::size_t pending, std::uint32_t tempo, double now,
                           VirtualSynth& synth) {
    const TimedRecord awaited = queue_[buffer].timed[pending];
    // Its time was worked out before the change; a tempo record sets its own tempo as it plays.
    timeline_.Resume(awaited.time, IsTempoRecord(awaited.record.event) ? awaited.record.event & kMevtValueMask : tempo);
    synth.Unschedule(source_, now + latency_);
    lastDone_ = buffer > 0 ? queue_[buffer - 1].doneTime : now;
    for (std::size_t b = buffer; b < queue_.size() && !queue_[b].stalled; ++b) {
        Queued& queued = queue_[b];
        const std::size_t kept = b == buffer ? pending + 1 : 0;
        queued.timed.resize(kept);
        // None of these is overdue: they all come after the awaited record.
        const std::vector<TimedRecord> timed = timeline_.Place(std::span(queued.records).subspan(kept), now);
        queued.timed.insert(queued.timed.end(), timed.begin(), timed.end());
        Sound(queued, b == buffer ? pending : 0, synth);
    }
}

void VirtualStream::Restart(double now, VirtualSynth& synth) {
    if (running_) return;
    running_ = true;
    startedAt_ = now;
    timeline_.Start(now);
    lastDone_ = now;
    for (Queued& queued : queue_) Place(queued, now, synth);
}

std::uint32_t VirtualStream::PositionMs(double now) const {
    if (!running_ || now <= startedAt_) return 0;
    return static_cast<std::uint32_t>((now - startedAt_) * 1000);
}

MmResult VirtualStream::Prepare(MidiHeader* header) {
    if (!header) return kMmInvalidParam;
    header->flags |= kHeaderPrepared | kMidiHeaderIsStream;
    return kMmNoError;
}

MmResult VirtualStream::Out(MidiHeader* header, double now, VirtualSynth& synth) {
    if (!header) return kMmInvalidParam;
    if (!(header->flags & kHeaderPrepared)) return kMidiUnprepared;
    if (header->flags & kMidiHeaderInQueue) return kMidiStillPlaying;
    if (header->bytesRecorded > header->bufferLength || (!header->data && header->bytesRecorded > 0)) {
        return kMmInvalidParam;
    }
    header->flags = (header->flags | kMidiHeaderInQueue) & ~kHeaderDone;
    Queued queued;
    queued.header = header;
    queued.records = DecodeQueuedRecords(std::span<const std::uint8_t>(header->data, header->bytesRecorded));
    queue_.push_back(std::move(queued));
    if (running_) Place(queue_.back(), now, synth);
    return kMmNoError;
}

MmResult VirtualStream::Unprepare(MidiHeader* header) {
    if (!header) return kMmInvalidParam;
    if (header->flags & kMidiHeaderInQueue) return kMidiStillPlaying;
    header->flags &= ~kHeaderPrepared;
    return kMmNoError;
}

void VirtualStream::Place(Queued& queued, double now, VirtualSynth& synth) {
    queued.placed = true;
    queued.placedAt = now;
    if (stallAfter_ && placedCount_++ >= *stallAfter_) {
        // A hung driver: the buffer stays in it, silent, and nothing more comes back.
        queued.stalled = true;
        queued.doneTime = std::numeric_limits<double>::infinity();
        return;
    }
    queued.timed = timeline_.Place(queued.records, now);
    Sound(queued, 0, synth);
}

void VirtualStream::Sound(Queued& queued, std::size_t first, VirtualSynth& synth) {
    for (std::size_t i = first; i < queued.timed.size(); ++i) {
        const TimedRecord& t = queued.timed[i];
        if (IsShortMessageRecord(t.record.event)) {
            synth.Schedule(t.time + latency_, t.record.event & kMevtValueMask, source_);
        }
    }
    const double end =
        queued.timed.empty() ? std::max(queued.placedAt, timeline_.LastTime()) : queued.timed.back().time;
    // Buffers come back in the order they were queued.
    queued.doneTime = std::max(end, lastDone_);
    lastDone_ = queued.doneTime;
}

void VirtualStream::Advance(double now, std::vector<StreamNotice>& notices) {
    while (!queue_.empty() && queue_.front().placed) {
        Queued& queued = queue_.front();
        for (; queued.nextRecord < queued.timed.size(); ++queued.nextRecord) {
            const TimedRecord& t = queued.timed[queued.nextRecord];
            if (t.time > now) return;
            if (!HasCallbackFlag(t.record.event)) continue;
            queued.header->offset = t.record.offset;
            notices.push_back(StreamNotice{kMmMomPositionCb, queued.header});
        }
        if (queued.doneTime > now) return;
        queued.header->flags = (queued.header->flags | kHeaderDone) & ~kMidiHeaderInQueue;
        notices.push_back(StreamNotice{kMmMomDone, queued.header});
        queue_.pop_front();
    }
}

void VirtualStream::Close(double now, VirtualSynth& synth) {
    // What the device was given before the close still sounds, its latency later.
    synth.Cancel(source_, now, now + latency_);
    for (Queued& queued : queue_) queued.header->flags = (queued.header->flags | kHeaderDone) & ~kMidiHeaderInQueue;
    queue_.clear();
    running_ = false;
}

}  // namespace solvena::devices
