// The loopback MIDI OUT devices' stream calls: each open stream plays into the studio's synth.
// The failure a device's file injects for a call is answered before anything else is done.
#include "loopback/seam/LoopbackStudio.h"

namespace solvena::devices {

MmResult MidiStreamOpen(MidiStreamHandle* stream, std::uint32_t* device, WindowHandle window) {
    if (!device) return kMmInvalidParam;
    std::optional<LoopbackMidiOut> description = LoopbackMidiOutDevice(*device);
    if (!description) return kMmBadDeviceId;
    if (const MmResult injected = InjectedResult(description->failures, "open"); injected != kMmNoError) {
        return injected;
    }
    if (!stream) return kMmInvalidParam;
    // A slow driver: the caller waits, the studio does not.
    if (const std::uint32_t delay = DrawMilliseconds(description->openDelay); delay > 0) Sleep(delay);

    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    for (const auto& [handle, open] : studio.streams) {
        if (open->device == *device) return kMmAllocated;
    }
    const std::uintptr_t handle = studio.NewHandle();
    auto open = std::make_unique<OpenStream>(OpenStream{*device, static_cast<HWND>(window), description->failures,
                                                        VirtualStream(++studio.lastSource, description->latency.low / 1000.0,
                                                                      description->stallAfter)});
    studio.streams.emplace(handle, std::move(open));
    *stream = reinterpret_cast<MidiStreamHandle>(handle);
    studio.EnsureThread();
    return kMmNoError;
}

MmResult MidiStreamSetTimeDivision(MidiStreamHandle stream, std::uint32_t division) {
    return OnOpenDevice(&Studio::streams, stream, "property",
                        [division](Studio&, OpenStream& open) { return open.stream.SetDivision(division); });
}

MmResult MidiStreamSetTempo(MidiStreamHandle stream, std::uint32_t microsPerQuarter) {
    return OnOpenDevice(&Studio::streams, stream, "property", [microsPerQuarter](Studio& studio, OpenStream& open) {
        // Read under the lock: every record the device thread has played is then before it.
        return open.stream.SetTempo(microsPerQuarter, StudioNow(), studio.synth);
    });
}

MmResult MidiStreamRestart(MidiStreamHandle stream) {
    Studio& studio = TheStudio();
    const double now = StudioNow();
    studio.renderFence.store(now);
    const MmResult result = OnOpenDevice(&Studio::streams, stream, "restart", [now](Studio& s, OpenStream& open) {
        open.stream.Restart(now, s.synth);
        return kMmNoError;
    });
    studio.renderFence.store(std::numeric_limits<double>::infinity());
    return result;
}

MmResult MidiStreamPositionMs(MidiStreamHandle stream, std::uint32_t* ms) {
    if (!ms) return kMmInvalidParam;
    const double now = StudioNow();
    return OnOpenDevice(&Studio::streams, stream, "position", [ms, now](Studio&, OpenStream& open) {
        *ms = open.stream.PositionMs(now);
        return kMmNoError;
    });
}

MmResult MidiStreamPrepare(MidiStreamHandle stream, MidiHeader* header) {
    return OnOpenDevice(&Studio::streams, stream, "prepare",
                        [header](Studio&, OpenStream&) { return VirtualStream::Prepare(header); });
}

MmResult MidiStreamOut(MidiStreamHandle stream, MidiHeader* header) {
    return OnOpenDevice(&Studio::streams, stream, "out", [header](Studio& studio, OpenStream& open) {
        return open.stream.Out(header, StudioNow(), studio.synth);
    });
}

MmResult MidiStreamUnprepare(MidiStreamHandle stream, MidiHeader* header) {
    return OnOpenDevice(&Studio::streams, stream, "unprepare",
                        [header](Studio&, OpenStream&) { return VirtualStream::Unprepare(header); });
}

MmResult MidiStreamClose(MidiStreamHandle stream) {
    return OnOpenDevice(&Studio::streams, stream, "close", [stream](Studio& studio, OpenStream& open) {
        open.stream.Close(StudioNow(), studio.synth);
        studio.streams.erase(reinterpret_cast<std::uintptr_t>(stream));
        return kMmNoError;
    });
}

}  // namespace solvena::devices
