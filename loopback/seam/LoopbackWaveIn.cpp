// The loopback WAVE IN devices' recording calls: each open device captures the studio's synth.
// The failure a device's file injects for a call is answered before anything else is done.
#include "loopback/seam/LoopbackStudio.h"

namespace solvena::devices {

MmResult WaveInOpen(WaveInHandle* wave, std::uint32_t device, const WaveFormat& format, WindowHandle window) {
    std::optional<LoopbackWaveIn> description = LoopbackWaveInDevice(device);
    if (!description) return kMmBadDeviceId;
    if (const MmResult injected = InjectedResult(description->failures, "open"); injected != kMmNoError) {
        return injected;
    }
    if (!LoopbackWaveInAccepts(*description, format) || !CaptureFormatSupported(format)) return kWaveBadFormat;
    if (!wave) return kMmInvalidParam;

    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    for (const auto& [handle, open] : studio.captures) {
        if (open->device == device) return kMmAllocated;
    }
    const std::uintptr_t handle = studio.NewHandle();
    auto open = std::make_unique<OpenCapture>(
        OpenCapture{device, static_cast<HWND>(window), description->failures, description->startDelay,
                    VirtualCapture(format, LoopbackCaptureInput(*description), LoopbackDeviceClock(*description))});
    studio.captures.emplace(handle, std::move(open));
    *wave = reinterpret_cast<WaveInHandle>(handle);
    studio.EnsureThread();
    return kMmNoError;
}

MmResult WaveInPrepare(WaveInHandle wave, WaveHeader* header) {
    return OnOpenDevice(&Studio::captures, wave, "prepare", [header](Studio&, OpenCapture&) {
        return VirtualCapture::Prepare(header);
    });
}

MmResult WaveInAdd(WaveInHandle wave, WaveHeader* header) {
    return OnOpenDevice(&Studio::captures, wave, "add",
                        [header](Studio&, OpenCapture& open) { return open.capture.Add(header); });
}

MmResult WaveInStart(WaveInHandle wave) {
    return OnOpenDevice(&Studio::captures, wave, "start", [](Studio& studio, OpenCapture& open) {
        if (open.capture.Started()) return kMmNoError;
        open.capture.Start(StudioNow() + DrawMilliseconds(open.startDelay) / 1000.0);
        studio.lastCaptureStart = open.capture.StartTime();
        return kMmNoError;
    });
}

MmResult WaveInPosition(WaveInHandle wave, std::uint16_t, std::uint32_t* frames) {
    // The count at the moment of the call, not when the studio's lock is free.
    const double now = StudioNow();
    return OnOpenDevice(&Studio::captures, wave, "position", [frames, now](Studio&, OpenCapture& open) {
        if (!frames) return kMmInvalidParam;
        // A driver's counter is 32 bits wide.
        *frames = static_cast<std::uint32_t>(open.capture.Position(now));
        return kMmNoError;
    });
}

MmResult WaveInReset(WaveInHandle wave) {
    const auto handle = reinterpret_cast<std::uintptr_t>(wave);
    return OnOpenDevice(&Studio::captures, wave, "reset", [handle](Studio& studio, OpenCapture& open) {
        // The partly filled buffer comes back with everything due up to this moment.
        const double now = StudioNow();
        studio.synth.Apply(now);
        studio.AdvanceCapture(handle, open, now);
        std::vector<WaveHeader*> done;
        open.capture.Reset(done);
        for (WaveHeader* header : done) PostDeviceMessage(open.window, kMmWimData, handle, header);
        return kMmNoError;
    });
}

MmResult WaveInUnprepare(WaveInHandle wave, WaveHeader* header) {
    return OnOpenDevice(&Studio::captures, wave, "unprepare", [header](Studio&, OpenCapture&) {
        return VirtualCapture::Unprepare(header);
    });
}

MmResult WaveInClose(WaveInHandle wave) {
    const auto handle = reinterpret_cast<std::uintptr_t>(wave);
    return OnOpenDevice(&Studio::captures, wave, "close", [handle](Studio& studio, OpenCapture& open) {
        if (open.capture.HasQueued()) return kWaveStillPlaying;
        ReportClosedCapture(open);
        studio.captures.erase(handle);
        return kMmNoError;
    });
}

}  // namespace solvena::devices
