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
    if (stallAfter_ && placedCount_++ >= *stallAfter_) {
        // A hung driver: the buffer stays in it, silent, and nothing more comes back.
        queued.doneTime = std::numeric_limits<double>::infinity();
        return;
    }
    const std::vector<TimedRecord> timed = timeline_.Place(queued.records, now);
    for (const TimedRecord& t : timed) {
        if (IsShortMessageRecord(t.record.event)) {
            synth.Schedule(t.time + latency_, t.record.event & kMevtValueMask, source_);
        }
        if (HasCallbackFlag(t.record.event)) queued.callbacks.push_back(Callback{t.time, t.record.offset});
    }
    const double end = timed.empty() ? std::max(now, timeline_.LastTime()) : timed.back().time;
    // Buffers come back in the order they were queued.
    queued.doneTime = std::max(end, lastDone_);
    lastDone_ = queued.doneTime;
}

void VirtualStream::Advance(double now, std::vector<StreamNotice>& notices) {
    while (!queue_.empty() && queue_.front().placed) {
        Queued& queued = queue_.front();
        for (; queued.nextCallback < queued.callbacks.size(); ++queued.nextCallback) {
            const Callback& callback = queued.callbacks[queued.nextCallback];
            if (callback.time > now) return;
            queued.header->offset = callback.offset;
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
