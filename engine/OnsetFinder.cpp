#include "engine/OnsetFinder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/LevelMeter.h"

namespace solvena {

namespace {

// A pause this long before the peak's sound ends the walk back: the end of an earlier note.
constexpr double kPauseSeconds = 0.003;
constexpr double kOnsetShareOfPeak = 0.1;

unsigned BytesPerSample(const TakeFormat& format) { return (format.bitsPerSample + 7u) / 8u; }

// The loudest channel of the frame, against full scale.
double FrameLevel(std::span<const std::uint8_t> pcm, const TakeFormat& format, std::uint64_t frame) {
    const unsigned bytes = BytesPerSample(format);
    const std::size_t at = static_cast<std::size_t>(frame) * bytes * format.channels;
    const double fullScale = std::ldexp(1.0, static_cast<int>(8 * bytes - 1));
    double level = 0;
    for (unsigned c = 0; c < format.channels; ++c)
        level = std::max(level, static_cast<double>(SampleMagnitude(pcm.data() + at + c * bytes, bytes)) / fullScale);
    return level;
}

}  // namespace

std::optional<std::uint64_t> FindOnset(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                                       std::uint64_t from, std::uint64_t to) {
    const std::size_t frameBytes = std::size_t{BytesPerSample(format)} * format.channels;
    if (frameBytes == 0 || format.rate == 0) return std::nullopt;
    to = std::min<std::uint64_t>(to, pcm.size() / frameBytes);
    if (from >= to) return std::nullopt;

    std::uint64_t peakFrame = from;
    double peak = 0;
    for (std::uint64_t f = from; f < to; ++f) {
        if (const double level = FrameLevel(pcm, format, f); level > peak) {
            peak = level;
            peakFrame = f;
        }
    }
    const double silence = std::pow(10.0, kSilentPeakDbfs / 20);
    if (peak < silence) return std::nullopt;

    const double sounding = std::max(peak * kOnsetShareOfPeak, silence);
    const auto pause = static_cast<std::uint64_t>(std::ceil(kPauseSeconds * format.rate));
    std::uint64_t onset = peakFrame;
    std::uint64_t quiet = 0;
    for (std::uint64_t f = peakFrame; f-- > from;) {
        if (FrameLevel(pcm, format, f) >= sounding) {
            onset = f;
            quiet = 0;
        } else if (++quiet >= pause) {
            break;
        }
    }
    return onset;
}

DelayMeasurement MeasureDelay(std::span<const std::uint8_t> pcm, const TakeFormat& format,
                              std::span<const std::uint64_t> noteFrames, bool jitterAccepted) {
    DelayMeasurement result;
    std::vector<double> delays;
    for (std::size_t k = 0; k < noteFrames.size(); ++k) {
        const std::uint64_t from = noteFrames[k];
        std::uint64_t to = from;
        if (k + 1 < noteFrames.size()) {
            to = noteFrames[k + 1];
        } else if (k > 0) {
            to = from + (from - noteFrames[k - 1]);
        }
        const std::optional<std::uint64_t> onset = FindOnset(pcm, format, from, to);
        if (onset) delays.push_back(static_cast<double>(*onset - from) * 1000.0 / format.rate);
    }
    result.heard = static_cast<int>(delays.size());
    result.notes = static_cast<int>(noteFrames.size());
    if (delays.empty() || delays.size() < noteFrames.size()) return result;
    const auto [low, high] = std::minmax_element(delays.begin(), delays.end());
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
