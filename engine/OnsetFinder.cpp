#include "engine/OnsetFinder.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/LevelMeter.h"

namespace solvena {

namespace {

// A pause this long before the peak's sound ends the walk back: the end of an earlier note, or
// the input's quiet before this one.
constexpr double kPauseSeconds = 0.003;
constexpr double kOnsetShareOfPeak = 0.1;
// The take's frames are placed from the devices' clocks, which may put the sound of a device
// that sounds at once a frame or two before its note's frame; sound earlier than this is not the
// note's.
constexpr double kEarlySeconds = 0.0005;
// The input's noise never reaches twice its peak before the notes, so it never starts a note.
constexpr double kSoundingOverFloor = 2.0;
// A note is heard only 20 dB above that floor: its onset is then judged at most a fifth of the
// way up its attack.
constexpr double kNoteOverFloor = 10.0;

unsigned BytesPerSample(const TakeFormat& format) { return (format.bitsPerSample + 7u) / 8u; }

// The frame that lies `seconds` (rounded up to whole frames) before `frame`, or the first.
std::uint64_t FrameBefore(std::uint64_t frame, double seconds, std::uint32_t rate) {
    return frame - std::min(frame, static_cast<std::uint64_t>(std::ceil(seconds * rate)));
}

// A take's samples against full scale, without the DC offset that the input records with no
// note; the loudest that input gets without it is the floor the notes are judged against.
class Take {
public:
    Take(std::span<const std::uint8_t> pcm, const TakeFormat& format)
        : pcm_(pcm), channels_(format.channels), bytes_(BytesPerSample(format)),
          fullScale_(std::ldexp(1.0, static_cast<int>(8 * bytes_ - 1))), dc_(format.channels) {}

    std::uint64_t Frames() const { return pcm_.size() / (std::size_t{bytes_} * channels_); }

    // The loudest channel of the frame.
    double Level(std::uint64_t frame) const {
        double level = 0;
        for (unsigned c = 0; c < channels_; ++c) level = std::max(level, std::abs(Sample(frame, c) - dc_[c]));
        return level;
    }

    // Frames [0, to) hold no note.
    void MeasureFloor(std::uint64_t to) {
        to = std::min(to, Frames());
        if (to == 0) return;
        for (unsigned c = 0; c < channels_; ++c) {
            double sum = 0;
            for (std::uint64_t f = 0; f < to; ++f) sum += Sample(f, c);
            dc_[c] = sum / static_cast<double>(to);
        }
        for (std::uint64_t f = 0; f < to; ++f) floor_ = std::max(floor_, Level(f));
    }

    double Floor() const { return floor_; }

private:
    double Sample(std::uint64_t frame, unsigned channel) const {
        const std::uint8_t* at = pcm_.data() + (static_cast<std::size_t>(frame) * channels_ + channel) * bytes_;
        const bool negative = bytes_ == 1 ? at[0] < 128 : (at[bytes_ - 1] & 0x80) != 0;
        const double magnitude = static_cast<double>(SampleMagnitude(at, bytes_)) / fullScale_;
        return negative ? -magnitude : magnitude;
    }

    std::span<const std::uint8_t> pcm_;
    unsigned channels_;
    unsigned bytes_;
    double fullScale_;
    std::vector<double> dc_;
    double floor_ = 0;
};

struct NoteLook {
    std::optional<std::uint64_t> onset;
    bool sounded = false;  // the window's peak reached the silence limit
};

// The onset of the note that sounds loudest in frames [from, to).
NoteLook LookForNote(const Take& take, std::uint32_t rate, std::uint64_t from, std::uint64_t to) {
    NoteLook look;
    to = std::min(to, take.Frames());
    if (from >= to) return look;
    std::uint64_t peakFrame = from;
    double peak = 0;
    for (std::uint64_t f = from; f < to; ++f) {
        if (const double level = take.Level(f); level > peak) {
            peak = level;
            peakFrame = f;
        }
    }
    const double floor = take.Floor();
    look.sounded = peak >= std::pow(10.0, kSilentPeakDbfs / 20);
    if (!look.sounded || peak < floor * kNoteOverFloor) return look;

    const double sounding = std::max(peak * kOnsetShareOfPeak, floor * kSoundingOverFloor);
    const auto pause = static_cast<std::uint64_t>(std::ceil(kPauseSeconds * rate));
    const std::uint64_t earliest = FrameBefore(from, kEarlySeconds, rate);
    std::uint64_t onset = peakFrame;
    std::uint64_t quiet = 0;
    // The pause may lie before the window: a note less late than the pause has it there.
    for (std::uint64_t f = peakFrame; quiet < pause && f-- > 0;) {
        if (take.Level(f) < sounding) {
            ++quiet;
        } else if (f < earliest) {
            return look;  // sounding before the note was played
        } else {
            onset = f;
            quiet = 0;
        }
    }
    if (quiet == pause) look.onset = std::max(onset, from);
    return look;
}

}  // namespace

DelayMeasurement MeasureDelay(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                              std::span<const std::uint64_t> noteFrames, bool jitterAccepted) {
    DelayMeasurement result;
    result.notes = static_cast<int>(noteFrames.size());
    result.limitMs = jitterAccepted ? kMaxJitterSpreadMs : kMaxDelaySpreadMs;
    const unsigned bytes = BytesPerSample(format);
    if (format.rate == 0 || format.channels == 0 || bytes == 0 || bytes > 4 || noteFrames.empty()) return result;
    Take take(pcm, format);
    take.MeasureFloor(FrameBefore(noteFrames[0], kEarlySeconds, format.rate));
    std::vector<double> delays;
    bool drowned = false;
    for (std::size_t k = 0; k < noteFrames.size(); ++k) {
        const std::uint64_t from = noteFrames[k];
        std::uint64_t to = from;
        if (k + 1 < noteFrames.size()) {
            to = noteFrames[k + 1];
        } else if (k > 0) {
            to = from + (from - noteFrames[k - 1]);
        }
        const NoteLook look = LookForNote(take, format.rate, from, to);
        if (look.onset) {
            delays.push_back(static_cast<double>(*look.onset - from) * 1000.0 / format.rate);
        } else {
            drowned = drowned || look.sounded;
        }
    }
    result.heard = static_cast<int>(delays.size());
    if (delays.size() < noteFrames.size()) {
        result.verdict = drowned ? DelayVerdict::drowned : DelayVerdict::notHeard;
        return result;
    }
    const auto [low, high] = std::minmax_element(delays.begin(), delays.end());
    result.earliestMs = *low;
    result.latestMs = *high;
    result.spreadMs = *high - *low;
    double sum = 0;
    for (double d : delays) sum += d;
    result.delayMs = sum / static_cast<double>(delays.size());
    result.verdict = result.spreadMs > kMaxDelaySpreadMs ? DelayVerdict::unsteady : DelayVerdict::measured;
    if (result.verdict == DelayVerdict::unsteady && jitterAccepted && result.spreadMs <= kMaxJitterSpreadMs) {
        result.verdict = DelayVerdict::jittery;
        std::sort(delays.begin(), delays.end());
        const std::size_t middle = delays.size() / 2;
        result.delayMs = delays.size() % 2 ? delays[middle] : (delays[middle - 1] + delays[middle]) / 2;
    }
    return result;
}

}  // namespace solvena
