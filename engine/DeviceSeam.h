// The one narrow seam through which the program reaches MIDI OUT and WAVE IN devices.
// Two builds implement it: the product forwards to winmm, the test build links loopback
// devices described by a file beside the executable. Plain types only, so the pieces that
// reason about devices stay portable.
#pragma once

#include <cstdint>
#include <string>

namespace solvena::devices {

// Multimedia result codes as winmm defines them; 0 is success.
using MmResult = std::uint32_t;
constexpr MmResult kMmNoError = 0;
constexpr MmResult kMmBadDeviceId = 2;
constexpr MmResult kWaveBadFormat = 32;

// The PCM wave format record (WAVEFORMATEX without its extra bytes).
struct WaveFormat {
    std::uint16_t formatTag = 1;  // PCM
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;

    bool operator==(const WaveFormat&) const = default;
};

std::uint32_t MidiOutCount();
// The device's product name, as its capabilities report it; empty when the id is not a device.
std::string MidiOutName(std::uint32_t id);
std::uint32_t WaveInCount();
std::string WaveInName(std::uint32_t id);
// Asks whether the device accepts the format without opening anything (WAVE_FORMAT_QUERY).
MmResult WaveInQuery(std::uint32_t id, const WaveFormat& format);

}  // namespace solvena::devices
