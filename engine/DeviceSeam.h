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
constexpr MmResult kMmError = 1;
constexpr MmResult kMmBadDeviceId = 2;
constexpr MmResult kMmAllocated = 4;
constexpr MmResult kMmInvalidHandle = 5;
constexpr MmResult kMmNoDriver = 6;
constexpr MmResult kMmNoMemory = 7;
constexpr MmResult kMmInvalidParam = 11;
constexpr MmResult kWaveBadFormat = 32;
constexpr MmResult kWaveStillPlaying = 33;
constexpr MmResult kWaveUnprepared = 34;
constexpr MmResult kMidiUnprepared = 64;
constexpr MmResult kMidiStillPlaying = 65;

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

// ---- Playing and recording ----
//
// Handles are the system's own (HMIDISTRM, HWAVEIN, HWND) as opaque pointers. The headers have
// the layout of the system's MIDIHDR and WAVEHDR field for field, so the same record is handed to
// the device in both builds and comes back in the notifications' second parameter.

using WindowHandle = void*;
using MidiStreamHandle = void*;
using WaveInHandle = void*;

// The system's multimedia headers are byte-packed, which puts MIDIHDR's next pointer at offset
// 28 on 64-bit Windows; ours follows. (WAVEHDR comes out the same either way.)
#pragma pack(push, 1)
struct MidiHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t bufferLength = 0;
    std::uint32_t bytesRecorded = 0;
    std::uintptr_t user = 0;
    std::uint32_t flags = 0;
    MidiHeader* next = nullptr;
    std::uintptr_t reserved = 0;
    std::uint32_t offset = 0;  // of the record whose callback flag was played last
    std::uintptr_t reservedWords[8] = {};
};
#pragma pack(pop)

struct WaveHeader {
    std::uint8_t* data = nullptr;
    std::uint32_t bufferLength = 0;
    std::uint32_t bytesRecorded = 0;
    std::uintptr_t user = 0;
    std::uint32_t flags = 0;
    std::uint32_t loops = 0;
    WaveHeader* next = nullptr;
    std::uintptr_t reserved = 0;
};

// Header flags (MHDR_* and WHDR_* share the first two).
constexpr std::uint32_t kHeaderDone = 0x01;
constexpr std::uint32_t kHeaderPrepared = 0x02;
constexpr std::uint32_t kMidiHeaderInQueue = 0x04;
constexpr std::uint32_t kMidiHeaderIsStream = 0x08;
constexpr std::uint32_t kWaveHeaderInQueue = 0x10;

// Window messages the devices post (wParam: the device handle, lParam: the header).
constexpr std::uint32_t kMmWimData = 0x3C0;         // MM_WIM_DATA: a capture buffer is done
constexpr std::uint32_t kMmMomDone = 0x3C9;         // MM_MOM_DONE: a stream buffer is done
constexpr std::uint32_t kMmMomPositionCb = 0x3CA;  // MM_MOM_POSITIONCB: a flagged record played

// MIDI stream on one device, notifications to `window`. The stream starts paused.
MmResult MidiStreamOpen(MidiStreamHandle* stream, std::uint32_t* device, WindowHandle window);
// midiStreamProperty with MIDIPROP_SET | MIDIPROP_TIMEDIV.
MmResult MidiStreamSetTimeDivision(MidiStreamHandle stream, std::uint32_t division);
// midiStreamProperty with MIDIPROP_SET | MIDIPROP_TEMPO: the tempo the stream plays its next records
// at, until a tempo record of the stream sets another.
MmResult MidiStreamSetTempo(MidiStreamHandle stream, std::uint32_t microsPerQuarter);
MmResult MidiStreamRestart(MidiStreamHandle stream);
// How long the stream has played, in whole milliseconds, as its player counts (midiStreamPosition
// in TIME_MS); an error when the device answers in another format.
MmResult MidiStreamPositionMs(MidiStreamHandle stream, std::uint32_t* ms);
MmResult MidiStreamPrepare(MidiStreamHandle stream, MidiHeader* header);
MmResult MidiStreamOut(MidiStreamHandle stream, MidiHeader* header);
MmResult MidiStreamUnprepare(MidiStreamHandle stream, MidiHeader* header);
MmResult MidiStreamClose(MidiStreamHandle stream);

// Wave input in `format`, notifications to `window`.
MmResult WaveInOpen(WaveInHandle* wave, std::uint32_t device, const WaveFormat& format, WindowHandle window);
MmResult WaveInPrepare(WaveInHandle wave, WaveHeader* header);
MmResult WaveInAdd(WaveInHandle wave, WaveHeader* header);
MmResult WaveInStart(WaveInHandle wave);
// The frames the device has captured since its start (waveInGetPosition in samples; a driver that
// answers in bytes is counted in frames of `blockAlign` bytes, any other answer is an error).
// Under Wine with PulseAudio it counts exactly the frames delivered into the queued buffers.
MmResult WaveInPosition(WaveInHandle wave, std::uint16_t blockAlign, std::uint32_t* frames);
// Stops recording and hands back every queued buffer, marked done.
MmResult WaveInReset(WaveInHandle wave);
MmResult WaveInUnprepare(WaveInHandle wave, WaveHeader* header);
MmResult WaveInClose(WaveInHandle wave);

}  // namespace solvena::devices
