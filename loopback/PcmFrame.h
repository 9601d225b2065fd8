// One sample value written as a PCM frame of the loopback studio's WAVE IN devices.
//
// The value is clipped to [-1, 1], then:
//    8 bits: unsigned, round(v × 127) + 128 (128 is silence, 1 and 255 the extremes)
//   16 bits: signed little-endian, round(v × 32767)
//   24 bits: signed little-endian, round(v × 8388607)
//   32 bits: signed little-endian, round(v × 2147483647)
// with halves rounded away from zero. Every channel of the frame gets the same value.
#pragma once

#include <cstdint>
#include <span>

namespace solvena::devices {

// Whether frames of this depth and channel count can be written.
bool PcmFrameSupported(std::uint16_t bitsPerSample, std::uint16_t channels);

// The integer stored for a value at a supported depth; for 8 bits it includes the offset of 128.
std::int64_t PcmSampleValue(double value, std::uint16_t bitsPerSample);

// Writes channels × bits / 8 bytes at out; out must hold that many. Nothing is written for an
// unsupported depth or channel count.
void WritePcmFrame(double value, std::uint16_t bitsPerSample, std::uint16_t channels, std::span<std::uint8_t> out);

}  // namespace solvena::devices
