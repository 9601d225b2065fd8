#include "loopback/VirtualSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace solvena::devices {

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kController = 0xB0;
constexpr std::uint8_t kAllSoundOff = 120;
constexpr std::uint8_t kAllNotesOff = 123;

}  // namespace

double NoteFrequency(std::uint8_t note) { return 440.0 * std::exp2((static_cast<double>(note) - 69.0) / 12.0); }

void VirtualSynth::Voice::ReleaseAt(double t) {
    release = std::min(release, t);
    end = std::min(end, release + kReleaseSeconds);
}

void VirtualSynth::Voice::CutAt(double t) {
    release = std::min(release, t);
    end = std::min(end, t);
}

void VirtualSynth::Schedule(double time, std::uint32_t message, std::uint32_t source) {
    // A multimap puts an equal key after those already there, which keeps scheduling order.
    pending_.emplace(time, Pending{message, source});
}

void VirtualSynth::Apply(double now) {
    auto it = pending_.begin();
    for (; it != pending_.end() && it->first <= now; ++it) Play(it->first, it->second);
    pending_.erase(pending_.begin(), it);
}

void VirtualSynth::Unschedule(std::uint32_t source, double after) {
    std::erase_if(pending_, [source, after](const auto& entry) {
        return entry.second.source == source && !entry.second.releaseSource && entry.first > after;
    });
}

void VirtualSynth::Cancel(std::uint32_t source, double now, double cutoff) {
    Apply(now);
    cutoff = std::max(cutoff, now);
    std::erase_if(pending_, [source, cutoff](const auto& entry) {
        return entry.second.source == source && entry.first > cutoff;
    });
    // Applied in time order with the rest, so voices its messages start before the cutoff are
    // released too.
    pending_.emplace(cutoff, Pending{0, source, true});
    Apply(now);
}

void VirtualSynth::ReleaseSource(std::uint32_t source, double time) {
    for (Voice& voice : voices_) {
        if (voice.source == source && voice.SoundsAt(time)) voice.ReleaseAt(time);
    }
}

// The latest voice of the channel and note still held (not releasing) at `time`.
VirtualSynth::Voice* VirtualSynth::Held(std::uint8_t channel, std::uint8_t note, double time) {
    for (auto it = voices_.rbegin(); it != voices_.rend(); ++it) {
        if (it->channel == channel && it->note == note && it->on <= time && time < it->release && time < it->end) {
            return &*it;
        }
    }
    return nullptr;
}

void VirtualSynth::Play(double time, const Pending& pending) {
    if (pending.releaseSource) {
        ReleaseSource(pending.source, time);
        return;
    }
    if (played_.size() >= kMaxPlayedMessages) played_.pop_front();
    played_.push_back(PlayedMessage{time, pending.message});

    const auto status = static_cast<std::uint8_t>(pending.message);
    const auto data1 = static_cast<std::uint8_t>((pending.message >> 8) & 0x7F);
    const auto data2 = static_cast<std::uint8_t>((pending.message >> 16) & 0x7F);
    const std::uint8_t kind = status & 0xF0;
    const std::uint8_t channel = status & 0x0F;

    if (kind == kNoteOn || kind == kNoteOff) {
        if (Voice* held = Held(channel, data1, time)) held->ReleaseAt(time);
        if (kind == kNoteOn && data2 > 0) {
            Voice voice;
            voice.channel = channel;
            voice.note = data1;
            voice.source = pending.source;
            voice.frequency = NoteFrequency(data1);
            voice.amplitude = data2 / 127.0 * kVoiceAmplitude;
            voice.on = time;
            voices_.push_back(voice);
        }
    } else if (kind == kController && (data1 == kAllSoundOff || data1 == kAllNotesOff)) {
        for (Voice& voice : voices_) {
            if (voice.channel == channel && voice.SoundsAt(time)) voice.CutAt(time);
        }
    }
}

void VirtualSynth::Render(const FrameClock& clock, std::uint64_t first, std::span<double> out) const {
    std::fill(out.begin(), out.end(), 0.0);
    if (out.empty()) return;
    std::vector<double> times(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) times[i] = clock.Time(first + i);
    for (const Voice& voice : voices_) {
        if (voice.end <= times.front() || voice.on > times.back()) continue;
        const double omega = 2.0 * std::numbers::pi * voice.frequency;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const double t = times[i];
            if (!voice.SoundsAt(t)) continue;
            double value = voice.amplitude * std::sin(omega * (t - voice.on));
            if (t >= voice.release) value *= 1.0 - (t - voice.release) / kReleaseSeconds;
            out[i] += value;
        }
    }
    for (double& value : out) value = std::clamp(value, -1.0, 1.0);
}

void VirtualSynth::Prune(double horizon) {
    std::erase_if(voices_, [horizon](const Voice& voice) { return voice.end <= horizon; });
}

std::vector<PlayedMessage> VirtualSynth::TakePlayed() {
    std::vector<PlayedMessage> taken(played_.begin(), played_.end());
    played_.clear();
    return taken;
}

}  // namespace solvena::devices
