#include "engine/StreamMerge.h"

#include <algorithm>
#include <cstring>

namespace solvena {

MergeBuffer mergeBuffer;
std::size_t mergedLength = 0;

void CreateMergeBuffer() {
    mergeBuffer.assign(kMergeBufferSize, 0);
    mergedLength = 0;
}

void ReleaseMergeBuffer() {
    MergeBuffer().swap(mergeBuffer);
    mergedLength = 0;
}

namespace {

// Appends to a buffer from its start, growing it (zero-filled) instead of writing past it.
class StreamWriter {
public:
    explicit StreamWriter(MergeBuffer& out) : out_(out) {}

    void Event(std::uint32_t delta, std::uint8_t status, bool withStatus, Bytes src, ByteIndex first, ByteIndex last) {
        const std::size_t body = last >= first ? static_cast<std::size_t>(last - first + 1) : 0;
        Reserve(5 + 1 + body);
        written_ += static_cast<std::size_t>(WriteVarLen(delta, out_.data() + written_));
        if (withStatus) out_[written_++] = status;
        if (body > 0) {
            std::memcpy(out_.data() + written_, src.data() + first, body);
            written_ += body;
        }
    }

    std::size_t Written() const { return written_; }

private:
    void Reserve(std::size_t more) {
        if (written_ + more <= out_.size()) return;
        out_.resize(std::max(out_.size() * 2, written_ + more), 0);
    }

    MergeBuffer& out_;
    std::size_t written_ = 0;
};

// One input of the merge, walked event by event with its own running status. The event at
// `index` is sized once, when the source gets to it.
class Source {
public:
    Source(Bytes bytes, std::size_t length)
        : bytes_(bytes), length_(static_cast<ByteIndex>(std::min(length, bytes.size()))) {
        Load();
    }

    bool Ended() const { return ended_; }
    bool Writes() const { return next_ == Next::write; }
    std::uint32_t NextTime() const { return nextTime_; }

    // Takes the event at the index: a written or dropped one moves the source on, an end of
    // track or an event that cannot be sized (or runs past the data) ends it.
    void Take() {
        if (next_ == Next::end) {
            ended_ = true;
            return;
        }
        index_ = last_ + 1;
        time_ = nextTime_;
        Load();
    }

    void WriteTo(StreamWriter& writer, std::uint32_t delta) const {
        writer.Event(delta, status_, borrowed_, bytes_, first_, last_);
    }

private:
    enum class Next { write, skip, end };

    void Load() {
        if (length_ - 1 <= index_) {
            ended_ = true;
            return;
        }
        nextTime_ = time_ + ReadDeltaTime(bytes_, index_);
        first_ = EventStatusIndex(bytes_, index_);
        runningStatus = status_;
        last_ = EventLastIndex(bytes_, index_);
        status_ = runningStatus;
        borrowed_ = runningStatusUsed == 1;
        const int kind = ClassifyEvent(bytes_, index_);
        if (kind == EventKind::kEndOfTrack || last_ < 0 || last_ >= static_cast<ByteIndex>(bytes_.size())) {
            next_ = Next::end;
        } else {
            next_ = kind > 100 ? Next::skip : Next::write;
        }
    }

    Bytes bytes_;
    ByteIndex length_;
    ByteIndex index_ = 0;
    std::uint32_t time_ = 0;      // absolute tick of the last event taken; wraps as 32-bit ticks do
    std::uint32_t nextTime_ = 0;  // absolute tick of the event at the index
    ByteIndex first_ = 0;         // its status index (or first data byte in running status)
    ByteIndex last_ = 0;
    std::uint8_t status_ = 0;  // this source's running status
    bool borrowed_ = false;    // the event has no status byte of its own
    Next next_ = Next::end;
    bool ended_ = false;
};

// Merging sources one after the other into the stream built so far, equal ticks going to the
// stream, gives the same bytes as this one pass: source j's next event is written when its
// tick is strictly below that of the next event that merging sources 0..j-1 would write.
// head[j] caches that next event of sources 0..j (-1 when they are used up), so a written
// event of source h only makes heads h and above stale.
std::size_t MergeSources(MergeBuffer& buffer, std::vector<Source>& sources) {
    StreamWriter writer(buffer);
    const std::size_t count = sources.size();
    std::vector<int> head(count, -1);

    // Brings head[from..] up to date; below is head[from - 1].
    auto resolveFrom = [&](std::size_t from) {
        int below = from > 0 ? head[from - 1] : -1;
        std::uint32_t belowTime = below >= 0 ? sources[static_cast<std::size_t>(below)].NextTime() : 0;
        for (std::size_t j = from; j < count; ++j) {
            Source& src = sources[j];
            while (!src.Ended() && (below < 0 || src.NextTime() < belowTime)) {
                if (src.Writes()) {
                    below = static_cast<int>(j);
                    belowTime = src.NextTime();
                    break;
                }
                src.Take();  // dropped or ending: nothing to write
            }
            head[j] = below;
        }
    };

    resolveFrom(0);
    std::uint32_t lastTime = 0;
    while (count > 0 && head[count - 1] >= 0) {
        const auto h = static_cast<std::size_t>(head[count - 1]);
        Source& src = sources[h];
        src.WriteTo(writer, src.NextTime() - lastTime);
        lastTime = src.NextTime();
        src.Take();
        resolveFrom(h);
    }
    return writer.Written();
}

}  // namespace

std::size_t MergeTrack(MergeBuffer& buffer, std::size_t length, Bytes trackData, std::uint32_t trackLength) {
    runningStatus = 0;
    runningStatusUsed = 0;

    length = std::min(length, buffer.size());
    // The stream so far is read from a copy because the buffer is rewritten from its start.
    std::vector<std::uint8_t> previous(length + 10, 0);
    if (length > 0) std::memcpy(previous.data(), buffer.data(), length);

    std::vector<Source> sources;
    sources.emplace_back(previous, length);
    sources.emplace_back(trackData, trackLength);
    const std::size_t written = MergeSources(buffer, sources);
    if (written < length) {
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(written), buffer.begin() + static_cast<std::ptrdiff_t>(length), 0);
    }
    return written;
}

std::size_t MergeTracks(MergeBuffer& buffer, std::span<const TrackBytes> tracks) {
    runningStatus = 0;
    runningStatusUsed = 0;

    std::vector<Source> sources;
    sources.reserve(tracks.size());
    for (const TrackBytes& t : tracks) sources.emplace_back(t.data, t.length);
    const std::size_t written = MergeSources(buffer, sources);
    if (written < buffer.size()) std::memset(buffer.data() + written, 0, buffer.size() - written);
    return written;
}

std::size_t TrimToRange(MergeBuffer& buffer, std::int32_t startTick, std::int32_t endTick, std::size_t length,
                        std::uint32_t* leadInEvents) {
    length = std::min(length, buffer.size());
    const Bytes in(buffer.data(), length);
    const auto end = static_cast<ByteIndex>(length);

    MergeBuffer trimmed(length + 1, 0);
    StreamWriter writer(trimmed);

    ByteIndex index = 0;
    std::int64_t tick = 0;
    bool beforeStart = true;
    std::uint32_t leadIn = 0;
    while (tick <= endTick && index < end - 1) {
        const std::uint32_t delta = ReadDeltaTime(in, index);
        // Every event of the stream carries its status; nothing may borrow one.
        runningStatus = 0;
        const ByteIndex e = EventLastIndex(in, index);
        const ByteIndex s = EventStatusIndex(in, index);
        const int kind = ClassifyEvent(in, index);
        if (e < 0 || e >= end) break;

        tick += delta;
        index = e + 1;

        std::uint32_t written;
        if (tick < startTick) {
            if (kind == EventKind::kNoteOff || kind == EventKind::kNoteOn) continue;
            written = kLeadInSpacing;
            ++leadIn;
        } else if (beforeStart) {
            written = static_cast<std::uint32_t>(std::min<std::int64_t>(tick - startTick, 0xFFFFFFFF));
            beforeStart = false;
        } else {
            written = delta;
        }
        writer.Event(written, 0, false, in, s, e);
    }

    const std::size_t result = writer.Written();
    if (leadInEvents != nullptr) *leadInEvents = leadIn;
    std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length), 0);
    if (buffer.size() < result) buffer.resize(result, 0);
    if (result > 0) std::memcpy(buffer.data(), trimmed.data(), result);
    return result;
}

}  // namespace solvena
