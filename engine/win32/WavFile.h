// The RIFF WAVE file of the job being recorded, written through the system's multimedia file
// service: "RIFF", "WAVE", an 18-byte format chunk, a broadcast wave chunk that says where the
// file belongs in its song, then one data chunk that grows as the capture hands back buffers; at
// the end the song's markers follow it as cue points.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/BroadcastWave.h"
#include "engine/DeviceSeam.h"
#include "engine/LevelMeter.h"

namespace solvena::engine {

enum class WavOpen {
    opened,
    notCreated,    // the file cannot be created
    headerFailed,  // created, but its header could not be written (a full disk): removed again
};

// Where a file belongs: its broadcast wave fields (the format's own are filled in) and the cue
// points it may take; those before the take's end are written when the file is completed.
struct WavMarks {
    BextFields bext;
    std::vector<CuePoint> cues;
};

// Creates (or truncates) the file and writes everything up to its first sample byte. Unless it
// is opened, appending writes nothing. `owner` gets the boxes.
WavOpen OpenWavFile(const std::string& path, const devices::WaveFormat& format, HWND owner,
                    const WavMarks& marks = {});
// Appends sample bytes to the data chunk. Stops, and tells the user once, at the largest size a
// RIFF file can state or at the first write that fails; the file keeps what came before. At least
// once a second of sound the sizes in the header are brought up to date, so that the file a crash
// or a killed process leaves holds a valid WAV of everything up to there.
void AppendToWavFile(const std::uint8_t* bytes, std::uint32_t count);
// Writes the data and RIFF sizes (and the pad byte of an odd data size), the cue points of the
// take, and closes the file.
void CompleteWavFile();

bool WavFileOpen();
std::uint64_t WavDataBytes();
// The current (or last) file was cut at the largest size, or stopped by a failed write.
bool WavFileCut();
bool WavWriteFailed();
// The levels of the samples written to the current (or last) file since it was opened.
RecordingLevels WavLevels();

}  // namespace solvena::engine
