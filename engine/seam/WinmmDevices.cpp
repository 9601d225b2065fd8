// The product's device seam: straight through to winmm.
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "engine/DeviceSeam.h"

namespace solvena::devices {

// The seam's headers are handed to winmm as they are, so they must be MIDIHDR and WAVEHDR.
#define SOLVENA_SAME_FIELD(Ours, Theirs, ours, theirs)                                  \
    static_assert(offsetof(Ours, ours) == offsetof(Theirs, theirs), #Ours "::" #ours); \
    static_assert(sizeof(Ours::ours) == sizeof(Theirs::theirs), #Ours "::" #ours)

static_assert(sizeof(MidiHeader) == sizeof(MIDIHDR));
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, data, lpData);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, bufferLength, dwBufferLength);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, bytesRecorded, dwBytesRecorded);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, user, dwUser);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, flags, dwFlags);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, next, lpNext);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, reserved, reserved);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, offset, dwOffset);
SOLVENA_SAME_FIELD(MidiHeader, MIDIHDR, reservedWords, dwReserved);

static_assert(sizeof(WaveHeader) == sizeof(WAVEHDR));
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, data, lpData);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, bufferLength, dwBufferLength);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, bytesRecorded, dwBytesRecorded);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, user, dwUser);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, flags, dwFlags);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, loops, dwLoops);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, next, lpNext);
SOLVENA_SAME_FIELD(WaveHeader, WAVEHDR, reserved, reserved);

#undef SOLVENA_SAME_FIELD

static_assert(std::is_same_v<std::uint32_t, UINT>, "midiStreamOpen takes the device number by UINT pointer");
static_assert(kHeaderDone == MHDR_DONE && kHeaderDone == WHDR_DONE);
static_assert(kHeaderPrepared == MHDR_PREPARED && kHeaderPrepared == WHDR_PREPARED);
static_assert(kMidiHeaderInQueue == MHDR_INQUEUE && kMidiHeaderIsStream == MHDR_ISSTRM);
static_assert(kWaveHeaderInQueue == WHDR_INQUEUE);
static_assert(kMmWimData == MM_WIM_DATA && kMmMomDone == MM_MOM_DONE && kMmMomPositionCb == MM_MOM_POSITIONCB);

namespace {

// The product name field is fixed-size and not always terminated.
std::string NameOf(const char (&field)[MAXPNAMELEN]) { return std::string(field, strnlen(field, MAXPNAMELEN)); }

WAVEFORMATEX ToWaveFormatEx(const WaveFormat& format) {
    WAVEFORMATEX record{};
    record.wFormatTag = format.formatTag;
    record.nChannels = format.channels;
    record.nSamplesPerSec = format.samplesPerSec;
    record.nAvgBytesPerSec = format.avgBytesPerSec;
    record.nBlockAlign = format.blockAlign;
    record.wBitsPerSample = format.bitsPerSample;
    record.cbSize = 0;
    return record;
}

HMIDISTRM StreamOf(MidiStreamHandle stream) { return static_cast<HMIDISTRM>(stream); }
// The header calls of a stream take it as a MIDI OUT handle.
HMIDIOUT OutOf(MidiStreamHandle stream) { return reinterpret_cast<HMIDIOUT>(stream); }
MIDIHDR* HdrOf(MidiHeader* header) { return reinterpret_cast<MIDIHDR*>(header); }
HWAVEIN WaveOf(WaveInHandle wave) { return static_cast<HWAVEIN>(wave); }
WAVEHDR* HdrOf(WaveHeader* header) { return reinterpret_cast<WAVEHDR*>(header); }

}  // namespace

std::uint32_t MidiOutCount() { return midiOutGetNumDevs(); }

std::string MidiOutName(std::uint32_t id) {
    // Numbers at or past the count include the MIDI mapper's, which is not a device here.
    if (id >= midiOutGetNumDevs()) return {};
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return NameOf(caps.szPname);
}

std::uint32_t WaveInCount() { return waveInGetNumDevs(); }

std::string WaveInName(std::uint32_t id) {
    if (id >= waveInGetNumDevs()) return {};
    WAVEINCAPSA caps{};
    if (waveInGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return NameOf(caps.szPname);
}

MmResult WaveInQuery(std::uint32_t id, const WaveFormat& format) {
    // The wave mapper's number would otherwise answer for whatever device it picks.
    if (id >= waveInGetNumDevs()) return kMmBadDeviceId;
    WAVEFORMATEX record = ToWaveFormatEx(format);
    return waveInOpen(nullptr, id, &record, 0, 0, WAVE_FORMAT_QUERY);
}

MmResult MidiStreamOpen(MidiStreamHandle* stream, std::uint32_t* device, WindowHandle window) {
    if (!stream) return kMmInvalidParam;
    HMIDISTRM opened = nullptr;
    const MMRESULT result = midiStreamOpen(&opened, device, 1, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW);
    if (result == MMSYSERR_NOERROR) *stream = opened;
    return result;
}

MmResult MidiStreamSetTimeDivision(MidiStreamHandle stream, std::uint32_t division) {
    MIDIPROPTIMEDIV property{};
    property.cbStruct = sizeof property;
    property.dwTimeDiv = division;
    return midiStreamProperty(StreamOf(stream), reinterpret_cast<BYTE*>(&property), MIDIPROP_SET | MIDIPROP_TIMEDIV);
}

MmResult MidiStreamSetTempo(MidiStreamHandle stream, std::uint32_t microsPerQuarter) {
    MIDIPROPTEMPO property{};
    property.cbStruct = sizeof property;
    property.dwTempo = microsPerQuarter;
    return midiStreamProperty(StreamOf(stream), reinterpret_cast<BYTE*>(&property), MIDIPROP_SET | MIDIPROP_TEMPO);
}

MmResult MidiStreamRestart(MidiStreamHandle stream) { return midiStreamRestart(StreamOf(stream)); }

MmResult MidiStreamPositionMs(MidiStreamHandle stream, std::uint32_t* ms) {
    if (!ms) return kMmInvalidParam;
    MMTIME time{};
    time.wType = TIME_MS;
    const MMRESULT result = midiStreamPosition(StreamOf(stream), &time, sizeof time);
    if (result != MMSYSERR_NOERROR) return result;
    if (time.wType != TIME_MS) return kMmError;
    *ms = time.u.ms;
    return kMmNoError;
}

MmResult MidiStreamPrepare(MidiStreamHandle stream, MidiHeader* header) {
    return midiOutPrepareHeader(OutOf(stream), HdrOf(header), sizeof(MIDIHDR));
}

MmResult MidiStreamOut(MidiStreamHandle stream, MidiHeader* header) {
    return midiStreamOut(StreamOf(stream), HdrOf(header), sizeof(MIDIHDR));
}

MmResult MidiStreamUnprepare(MidiStreamHandle stream, MidiHeader* header) {
    return midiOutUnprepareHeader(OutOf(stream), HdrOf(header), sizeof(MIDIHDR));
}

MmResult MidiStreamClose(MidiStreamHandle stream) { return midiStreamClose(StreamOf(stream)); }

MmResult WaveInOpen(WaveInHandle* wave, std::uint32_t device, const WaveFormat& format, WindowHandle window) {
    if (!wave) return kMmInvalidParam;
    WAVEFORMATEX record = ToWaveFormatEx(format);
    HWAVEIN opened = nullptr;
    const MMRESULT result = waveInOpen(&opened, device, &record, reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW);
    if (result == MMSYSERR_NOERROR) *wave = opened;
    return result;
}

MmResult WaveInPrepare(WaveInHandle wave, WaveHeader* header) {
    return waveInPrepareHeader(WaveOf(wave), HdrOf(header), sizeof(WAVEHDR));
}

MmResult WaveInAdd(WaveInHandle wave, WaveHeader* header) {
    return waveInAddBuffer(WaveOf(wave), HdrOf(header), sizeof(WAVEHDR));
}

MmResult WaveInStart(WaveInHandle wave) { return waveInStart(WaveOf(wave)); }

MmResult WaveInPosition(WaveInHandle wave, std::uint16_t blockAlign, std::uint32_t* frames) {
    if (!frames) return kMmInvalidParam;
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    const MMRESULT result = waveInGetPosition(WaveOf(wave), &time, sizeof time);
    if (result != MMSYSERR_NOERROR) return result;
    // A driver may answer in another format than the one asked for.
    if (time.wType == TIME_SAMPLES) {
        *frames = time.u.sample;
    } else if (time.wType == TIME_BYTES && blockAlign > 0) {
        *frames = time.u.cb / blockAlign;
    } else {
        return kMmError;
    }
    return kMmNoError;
}

MmResult WaveInReset(WaveInHandle wave) { return waveInReset(WaveOf(wave)); }

MmResult WaveInUnprepare(WaveInHandle wave, WaveHeader* header) {
    return waveInUnprepareHeader(WaveOf(wave), HdrOf(header), sizeof(WAVEHDR));
}

MmResult WaveInClose(WaveInHandle wave) { return waveInClose(WaveOf(wave)); }

}  // namespace solvena::devices
