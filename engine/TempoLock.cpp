#include "engine/TempoLock.h"

#include <algorithm>
#include <cmath>

#include "engine/RecordingStart.h"

namespace solvena {

namespace {

// The largest tempo a record can carry (24 bits), and the least.
constexpr double kMaxTempo = 0xFFFFFF;

std::uint32_t ScaledTempo(std::uint32_t tempo, double scale) {
    return static_cast<std::uint32_t>(std::clamp(std::round(tempo * scale), 1.0, kMaxTempo));
}

std::uint32_t GetWord(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void PutWord(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void TempoLock::Load(std::span<const StreamFill> fills, std::uint32_t division, double scale) {
    *this = TempoLock{};
    scale_ = startScale_ = inForce_ = scale;
    songTempo_ = kStreamDefaultTempo;
    if (division == 0) return;
    std::uint32_t tempo = kStreamDefaultTempo;
    double song = 0;
    std::vector<StreamRecord> records;
    for (std::size_t f = 0; f < fills.size(); ++f) {
        DecodeStreamRecords(std::span<const std::uint8_t>(fills[f].bytes.data(), fills[f].bytesRecorded), records);
        std::uint32_t offset = 0;
        for (const StreamRecord& record : records) {
            song += static_cast<double>(record.delta) * tempo / division / 1000.0;
            const bool isTempo = IsTempoRecord(record.event);
            if (isTempo) tempo = record.event & kMevtValueMask;
            if (record.delta > 0 || isTempo) {
                entries_.push_back(Entry{song, static_cast<std::uint32_t>(f), offset, isTempo ? tempo : 0,
                                         record.delta > 0, 0});
            }
            offset += kRecordHeaderSize + static_cast<std::uint32_t>(record.params.size());
        }
    }
}

std::uint32_t TempoLock::StartTempo() const { return ScaledTempo(kStreamDefaultTempo, startScale_); }

void TempoLock::ScaleFill(std::size_t fill, std::span<std::uint8_t> bytes) {
    // Entries are in fill order; a fill's tempo records are few, so a walk from its first will do.
    auto it = std::lower_bound(entries_.begin(), entries_.end(), fill,
                               [](const Entry& e, std::size_t f) { return e.fill < f; });
    for (; it != entries_.end() && it->fill == fill; ++it) {
        if (it->songTempo == 0 || it->offset + kRecordHeaderSize > bytes.size()) continue;
        const std::uint32_t tempo = ScaledTempo(it->songTempo, scale_);
        std::uint8_t* event = bytes.data() + it->offset + kRecordEventOffset;
        // The record keeps its flags: the callback of a fill's last record must still come.
        PutWord(event, (GetWord(event) & ~kMevtValueMask) | tempo);
        it->scale = static_cast<double>(tempo) / it->songTempo;
    }
}

void TempoLock::Started(double ms, const FilePlacement& placement) {
    started_ = true;
    placement_ = placement;
    lastMs_ = ms;
    lastSong_ = 0;
    next_ = 0;
    nextSet_ = 0;
    inForce_ = startScale_;
}

void TempoLock::ApplySetsUpTo(double ms) {
    for (; nextSet_ < sets_.size() && sets_[nextSet_].ms <= ms; ++nextSet_) inForce_ = sets_[nextSet_].scale;
}

double TempoLock::PendingTime() const { return lastMs_ + (entries_[next_].song - lastSong_) * inForce_; }

void TempoLock::Advance(double now) {
    while (next_ < entries_.size()) {
        const Entry& entry = entries_[next_];
        // The player converted this record's delta right after the record before it played.
        ApplySetsUpTo(lastMs_);
        if (entry.waits) {
            const double at = PendingTime();
            if (at > now) return;
            lastMs_ = at;
            lastSong_ = entry.song;
        }
        if (entry.songTempo != 0) {
            ApplySetsUpTo(lastMs_);
            // A fill not yet queued cannot have played; its scale would be the present one.
            inForce_ = entry.scale > 0 ? entry.scale : scale_;
            songTempo_ = entry.songTempo;
        }
        ++next_;
    }
}

std::optional<std::uint32_t> TempoLock::Step(double now, double framesPerMs, bool rateKnown) {
    if (!started_ || framesPerMs <= 0) return std::nullopt;
    Advance(now);
    if (next_ >= entries_.size()) return std::nullopt;
    const Entry& pending = entries_[next_];
    const double at = PendingTime();
    const FilePlacement& p = placement_;
    const double perMs = p.rate / 1000.0;
    // Where the pending record sounds in the capture, against the frame the file wants it on.
    const double sounds = p.anchorFrames + framesPerMs * (at - p.anchorMs + p.delayMs);
    const double wanted = p.firstFrame + perMs * (pending.song - p.leadInMs);
    const double error = sounds - wanted;
    phaseErrorMs_ = error / perMs;
    if (!rateKnown) return std::nullopt;

    // From the pending record on, the music plays at the new scale: over the next stretch of song
    // the capture runs framesPerMs × scale per song ms, and the file wants perMs, less the error.
    const double rateScale = perMs / framesPerMs;
    const double scale = std::clamp((perMs - error / kCatchUpMs) / framesPerMs, rateScale * (1 - kMaxCorrection),
                                    rateScale * (1 + kMaxCorrection));
    // A set not yet converted with is the scale about to be in force.
    const double upcoming = nextSet_ < sets_.size() ? sets_.back().scale : inForce_;
    if (std::abs(scale - upcoming) < kLeastChange) return std::nullopt;
    // The player may be converting a delta or playing a tempo record right now.
    if (now - lastMs_ < kGuardMs || at - now < kGuardMs) return std::nullopt;
    scale_ = scale;
    return ScaledTempo(songTempo_, scale);
}

void TempoLock::TempoSet(double ms, std::uint32_t tempo) {
    if (songTempo_ == 0) return;
    sets_.push_back(Set{ms, static_cast<double>(tempo) / songTempo_});
}

}  // namespace solvena
