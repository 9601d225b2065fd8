// Inside the loopback seam: the virtual studio that the MIDI stream and WAVE IN calls share.
// One lock guards all of it, so a sound registered by a stream call is never in a stretch of
// time that a capture has already rendered: both read the one clock under that lock.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/DeviceSeam.h"
#include "loopback/LoopbackDeviceFile.h"
#include "loopback/VirtualCapture.h"
#include "loopback/VirtualStream.h"
#include "loopback/VirtualSynth.h"

namespace solvena::devices {

// Copies of a device's description as loaded (LoopbackDevices.cpp); nothing for a number that is
// not a device.
std::optional<LoopbackMidiOut> LoopbackMidiOutDevice(std::uint32_t id);
std::optional<LoopbackWaveIn> LoopbackWaveInDevice(std::uint32_t id);

// Seconds on the studio clock.
double StudioNow();

// A delay line's milliseconds: its fixed value, or a whole number drawn from its range.
std::uint32_t DrawMilliseconds(const DelayRange& delay);

// The executable's folder with its final separator.
std::string LoopbackExecutableFolder();

struct OpenStream {
    std::uint32_t device = 0;
    HWND window = nullptr;
    std::vector<InjectedFailure> failures;  // the device's, as loaded when it was opened
    VirtualStream stream;
};

struct OpenCapture {
    std::uint32_t device = 0;
    HWND window = nullptr;
    std::vector<InjectedFailure> failures;
    DelayRange startDelay;
    VirtualCapture capture;
    std::uint64_t lost = 0;  // frames that fell due with no buffer queued
};

// Each closed capture adds a line "wavein DEVICE lost FRAMES" to loopback-report.txt beside the
// executable, so tests that drive the program from outside can see what the device lost.
void ReportClosedCapture(const OpenCapture& open);

struct Studio {
    std::mutex mutex;
    VirtualSynth synth;
    // Handles are numbers never given out twice, so a closed handle cannot come back to life.
    std::map<std::uintptr_t, std::unique_ptr<OpenStream>> streams;
    std::map<std::uintptr_t, std::unique_ptr<OpenCapture>> captures;
    std::uintptr_t lastHandle = 0x5000;
    std::uint32_t lastSource = 0;
    double lastCaptureStart = -1;
    std::uint64_t lostSamples = 0;

    // A stream starts at the moment it is told to, however long its call waits for the lock; until
    // the call has scheduled its sounds nothing after that moment is played or captured.
    std::atomic<double> renderFence{std::numeric_limits<double>::infinity()};

    std::thread thread;
    bool threadRunning = false;
    bool stopping = false;  // set at process exit: no device thread from then on

    std::uintptr_t NewHandle() { return lastHandle += 0x10; }
    // Starts the device thread unless it runs; the caller holds the lock.
    void EnsureThread();
    // Writes the capture's frames due by `now` and posts its finished buffers; the caller holds
    // the lock and has applied the synth up to `now`.
    void AdvanceCapture(std::uintptr_t handle, OpenCapture& open, double now);
};

// The studio, created on first use and never destroyed, since the device thread may still be
// running while the process's static objects go.
Studio& TheStudio();

// Closes every open stream and capture (queued headers are marked done, no notifications), as
// before loading another device file.
void LoopbackCloseAll();

// Runs `call(studio, open)` on the device `handle` names in `devices` (the studio's streams or
// captures) under the studio lock: invalid handle, then the failure the device's file injects for
// `callName`, then the call itself.
template <typename Open, typename Call>
MmResult OnOpenDevice(std::map<std::uintptr_t, std::unique_ptr<Open>> Studio::*devices, void* handle,
                      std::string_view callName, Call call) {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    const auto found = (studio.*devices).find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == (studio.*devices).end()) return kMmInvalidHandle;
    Open& open = *found->second;
    if (const MmResult injected = CountedInjectedResult(open.failures, callName); injected != kMmNoError) {
        return injected;
    }
    return call(studio, open);
}

void PostDeviceMessage(HWND window, std::uint32_t message, std::uintptr_t handle, const void* header);

}  // namespace solvena::devices
