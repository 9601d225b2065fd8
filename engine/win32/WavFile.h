// The RIFF WAVE file of the job being recorded, written through the system's multimedia file
// service: "RIFF", "WAVE", an 18-byte format chunk, then one data chunk that grows as the
// capture hands back buffers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/DeviceSeam.h"
#include "engine/LevelMeter.h"

namespace solvena::engine {

// Creates (or truncates) the file and writes everything up to its first sample byte. False
// when the file cannot be created; appending then writes nothing. `owner` gets the boxes.
bool OpenWavFile(const std::string& path, const devices::WaveFormat& format, HWND owner);
// Appends sample bytes to the data chunk. Stops, and tells the user once, at the largest size a
// RIFF file can state or at the first write that fails; the file keeps what came before.
void AppendToWavFile(const std::uint8_t* bytes, std::uint32_t count);
// Writes the data and RIFF sizes (and the pad byte of an odd data size) and closes the file.
void CompleteWavFile();

bool WavFileOpen();
std::uint64_t WavDataBytes();
// The levels of the samples written to the current (or last) file since it was opened.
RecordingLevels WavLevels();

}  // namespace solvena::engine
