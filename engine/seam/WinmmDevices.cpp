// The product's device seam: straight through to winmm.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "engine/DeviceSeam.h"

namespace solvena::devices {

namespace {

// The product name field is fixed-size and not always terminated.
std::string NameOf(const char (&field)[MAXPNAMELEN]) { return std::string(field, strnlen(field, MAXPNAMELEN)); }

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
    WAVEFORMATEX record{};
    record.wFormatTag = format.formatTag;
    record.nChannels = format.channels;
    record.nSamplesPerSec = format.samplesPerSec;
    record.nAvgBytesPerSec = format.avgBytesPerSec;
    record.nBlockAlign = format.blockAlign;
    record.wBitsPerSample = format.bitsPerSample;
    record.cbSize = 0;
    return waveInOpen(nullptr, id, &record, 0, 0, WAVE_FORMAT_QUERY);
}

}  // namespace solvena::devices
