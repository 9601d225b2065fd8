// How loud one recording is, measured on its sample bytes as they are written to the WAV file:
// no second pass over a file that may hold an hour of sound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace solvena {

// Below this peak a recording holds no music: usually the wrong WAVE IN device, or a
// synthesizer that is not connected.
inline constexpr double kSilentPeakDbfs = -60.0;

struct RecordingLevels {
    double peakDbfs = 0.0;        // the largest sample against full scale; -infinity for pure silence
    std::uint64_t clipped = 0;    // samples at full scale, either way
    std::uint64_t samples = 0;    // every channel's samples count
};

bool IsSilent(const RecordingLevels& levels);
bool IsClipped(const RecordingLevels& levels);

// The size of one little-endian PCM sample of `bytesPerSample` bytes (1: unsigned, 128 is
// silence; 2 to 4: signed), from 0 to 2^(8·bytesPerSample − 1).
std::uint64_t SampleMagnitude(const std::uint8_t* sample, unsigned bytesPerSample);

// PCM samples of one depth: 8 bits unsigned (128 is silence), 16, 24 and 32 bits signed little-endian.
// Bytes may arrive in any pieces; a sample split between two pieces is measured once whole.
class LevelMeter {
public:
    void Start(std::uint16_t bitsPerSample);
    void Add(const std::uint8_t* bytes, std::size_t count);
    RecordingLevels Levels() const;

private:
    void Measure(const std::uint8_t* sample);

    unsigned bytesPerSample_ = 2;
    std::array<std::uint8_t, 4> partial_{};
    unsigned partialCount_ = 0;
    std::uint64_t peak_ = 0;  // magnitude, 0 to 2^(bits-1)
    std::uint64_t clipped_ = 0;
    std::uint64_t samples_ = 0;
};

}  // namespace solvena
