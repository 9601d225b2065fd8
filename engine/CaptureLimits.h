// The numbers of a capture: its buffers and how much sample data a WAV file can hold.
#pragma once

#include <cstddef>
#include <cstdint>

namespace solvena {

// Each capture buffer holds the same time in every format: a killed run loses at most what the
// buffer being filled holds, beyond the last second the file has yet to declare, and twenty of
// them ride out a stall of the user-interface thread of two seconds (a slow drive, a busy machine).
constexpr std::size_t kCaptureBufferCount = 20;
constexpr std::uint32_t kCaptureBufferMs = 100;

// The bytes of one capture buffer: kCaptureBufferMs of whole frames, at least one frame.
std::uint32_t CaptureBufferBytes(std::uint32_t rate, std::uint16_t blockAlign);
// "RIFF", size, "WAVE", the 18-byte format chunk, the broadcast wave chunk (a fixed 666 bytes)
// and the data chunk's header: the sample data begins here in every file.
constexpr std::uint32_t kWavHeaderBytes = 46 + 8 + 666;

// The most sample bytes a WAV file can state: its RIFF size (the header less 8, the data, its pad
// byte, and the `trailer` bytes of chunks written after it) is 32 bits. Whole frames only.
std::uint64_t MaxWavDataBytes(std::uint16_t blockAlign, std::uint64_t trailer = 0);

// How many of `offered` bytes may still be appended to a data chunk holding `written`.
std::uint32_t WavBytesToAppend(std::uint64_t written, std::uint32_t offered, std::uint16_t blockAlign,
                               std::uint64_t trailer = 0);

// The data size a file declares when its writing broke off: whole frames and an even count, so
// no pad byte has to be written to a disk that may be full.
std::uint64_t DeclarableDataBytes(std::uint64_t written, std::uint16_t blockAlign);

}  // namespace solvena
