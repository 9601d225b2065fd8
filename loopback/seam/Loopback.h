// Hooks of the loopback devices for tests that run in the same process. The program itself
// reads loopback-devices.txt beside its executable the first time a device is asked about.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DeviceSeam.h"

namespace solvena::devices {

// Replaces the devices with those of the file at path (format: loopback/LoopbackDeviceFile.h).
// False when the file cannot be read or is not valid; there are then no devices.
bool LoopbackLoadDeviceFile(const std::string& path);
// Reads loopback-devices.txt beside the executable again, as the first device call does: a
// missing file means no devices and is not a failure.
bool LoopbackLoadDefaultDeviceFile();
// Why the last load failed, with its line number; empty after a successful load.
std::string LoopbackLoadError();

struct LoopbackQueryRecord {
    std::uint32_t device = 0;
    WaveFormat format;
};

// The format queries made since the last call, oldest first; the record is then emptied.
std::vector<LoopbackQueryRecord> LoopbackTakeQueries();

// ---- The virtual studio: one clock for the synth and every WAVE IN device ----

// Seconds on the studio clock (a monotonic clock shared by all loopback devices).
double LoopbackClockSeconds();

// A short MIDI message as the virtual synth played it: the time it sounded on the studio clock
// (its due time plus the device's latency) and the message word (status in bits 0-7, data in 8-15 and 16-23).
struct LoopbackPlayedMessage {
    double time = 0;
    std::uint32_t message = 0;
};
// Every short message sounded since the last call (in due-time order); the record is then emptied.
std::vector<LoopbackPlayedMessage> LoopbackTakePlayedMessages();

// Studio clock time of the first frame of the capture most recently started on any loopback WAVE
// IN device (its start plus the device's start delay); sample k of that capture is the sound at
// this time + k / rate exactly on a device without clock or dropout lines. Negative before the
// first start.
double LoopbackLastCaptureStart();

// Samples (frames) that fell due while a started WAVE IN device had no buffer queued, summed
// over all devices since the last reset.
std::uint64_t LoopbackLostSamples();
void LoopbackResetLostSamples();

}  // namespace solvena::devices
