// The loopback studio in this process: a stream played on the virtual synth while a WAVE IN
// device records it in real time, checked sample by sample against the studio clock, with the
// notifications a window gets, and each call's injected failure.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "TestFiles.h"
#include "engine/FormatProbe.h"
#include "loopback/PcmFrame.h"
#include "loopback/VirtualSynth.h"
#include "loopback/seam/Loopback.h"
#include "tests/support/StreamRecords.h"

namespace solvena::devices {
namespace {

using test::ShortMessage;
using test::StreamRecords;

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kFrameBytes = 4;  // 16-bit stereo

const char kStudio[] = "midiout Studio Synth\nwavein Studio Mic\n  rates 8000-48000\n  bits 8,16\n";

struct Notice {
    UINT message = 0;
    LPARAM header = 0;
    std::uint32_t offset = 0;  // a position notification's header offset when it arrived
};

// A message-only window whose posted notifications are taken straight from the queue.
class Receiver {
public:
    Receiver() : window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~Receiver() { DestroyWindow(window); }

    // Pumps until `done` holds; false after `seconds`.
    bool PumpUntil(const std::function<bool()>& done, double seconds) {
        const double end = LoopbackClockSeconds() + seconds;
        for (MSG msg; !done(); Sleep(1)) {
            if (LoopbackClockSeconds() > end) return false;
            while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
                const auto* header = reinterpret_cast<const MidiHeader*>(msg.lParam);
                notices.push_back({msg.message, msg.lParam, msg.message == kMmMomPositionCb ? header->offset : 0});
            }
        }
        return true;
    }

    std::size_t Count(UINT message) const {
        std::size_t n = 0;
        for (const Notice& notice : notices) n += notice.message == message;
        return n;
    }

    HWND window;
    std::vector<Notice> notices;
};

// Capture buffers of these lengths in bytes.
struct WaveBuffers {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<WaveHeader> headers;

    explicit WaveBuffers(std::vector<std::uint32_t> lengths) : headers(lengths.size()) {
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            blocks.emplace_back(lengths[i]);
            headers[i].data = blocks[i].data();
            headers[i].bufferLength = lengths[i];
        }
    }

    // The left channel of every frame recorded in the first `count` buffers.
    std::vector<std::int16_t> Samples(std::size_t count) const {
        std::vector<std::int16_t> samples;
        for (std::size_t i = 0; i < count; ++i) {
            for (std::uint32_t at = 0; at + kFrameBytes <= headers[i].bytesRecorded; at += kFrameBytes) {
                samples.push_back(static_cast<std::int16_t>(blocks[i][at] | blocks[i][at + 1] << 8));
            }
        }
        return samples;
    }
};

struct StreamBuffer {
    StreamRecords records;
    MidiHeader header;

    explicit StreamBuffer(StreamRecords r) : records(std::move(r)) {
        header.data = records.Bytes().data();
        header.bufferLength = header.bytesRecorded = records.Size();
    }
};

// The capture of the messages played so far as the synth sounds them: what the samples must be.
std::vector<std::int16_t> Expected(const std::vector<LoopbackPlayedMessage>& played, double start, std::size_t frames) {
    VirtualSynth synth;
    for (const LoopbackPlayedMessage& message : played) synth.Schedule(message.time, message.message, 1);
    synth.Apply(1e9);
    std::vector<double> values(frames);
    synth.Render(FrameClock(start, kRate), 0, values);
    std::vector<std::int16_t> samples;
    for (double v : values) samples.push_back(static_cast<std::int16_t>(PcmSampleValue(v, 16)));
    return samples;
}

// How many samples differ from the expected ones (from `first` on) by more than one step.
std::size_t Mismatches(const std::vector<std::int16_t>& samples, const std::vector<std::int16_t>& expected,
                       std::size_t first = 0) {
    std::size_t n = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) n += std::abs(samples[k] - expected.at(first + k)) > 1;
    return n;
}

class LoopbackStudio : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testfiles::LoadLoopbackDevices(kStudio)) << LoopbackLoadError();
        LoopbackTakePlayedMessages();  // what earlier tests left
    }

    void TearDown() override {
        if (stream) MidiStreamClose(stream);
        if (wave && WaveInReset(wave) == kMmNoError) WaveInClose(wave);
    }

    // The synth at `division` ticks per quarter and the microphone at 44,100/16/2.
    void Open(std::uint32_t division = 480) {
        std::uint32_t device = 0;
        ASSERT_EQ(MidiStreamOpen(&stream, &device, receiver.window), kMmNoError);
        ASSERT_EQ(MidiStreamSetTimeDivision(stream, division), kMmNoError);
        ASSERT_EQ(WaveInOpen(&wave, 0, PcmFormat(2, kRate, 16), receiver.window), kMmNoError);
    }

    void Queue(WaveBuffers& buffers) {
        for (WaveHeader& header : buffers.headers) {
            ASSERT_EQ(WaveInPrepare(wave, &header), kMmNoError);
            ASSERT_EQ(WaveInAdd(wave, &header), kMmNoError);
        }
    }

    void Play(StreamBuffer& buffer) {
        ASSERT_EQ(MidiStreamPrepare(stream, &buffer.header), kMmNoError);
        ASSERT_EQ(MidiStreamOut(stream, &buffer.header), kMmNoError);
    }

    Receiver receiver;
    MidiStreamHandle stream = nullptr;
    WaveInHandle wave = nullptr;
};

TEST_F(LoopbackStudio, PlaysTwoBuffersIntoTheCaptureAtTheirExactTimes) {
    Open(960);
    WaveBuffers capture(std::vector<std::uint32_t>(6, kRate / 5 * kFrameBytes));  // 0.2 s each
    Queue(capture);
    ASSERT_EQ(WaveInStart(wave), kMmNoError);
    const double start = LoopbackLastCaptureStart();

    // At 960 ticks: C4 for an eighth, then a tempo twice as fast, E4 and G4 a sixteenth apart.
    StreamBuffer first(StreamRecords()
                           .Nop(0, true)
                           .Short(240, ShortMessage(0x90, 60, 100), true)
                           .Short(480, ShortMessage(0x80, 60))
                           .Tempo(0, 250000)
                           .Short(480, ShortMessage(0x90, 64, 80), true));
    StreamBuffer second(StreamRecords()
                            .Short(480, ShortMessage(0x80, 64))
                            .Short(0, ShortMessage(0x91, 67, 127), true)
                            .Short(960, ShortMessage(0x91, 67, 0))
                            .Nop(0, true));
    Play(first);
    Play(second);
    const double beforeRestart = LoopbackClockSeconds();
    ASSERT_EQ(MidiStreamRestart(stream), kMmNoError);
    const double afterRestart = LoopbackClockSeconds();
    ASSERT_TRUE(receiver.PumpUntil([&] { return receiver.Count(kMmMomDone) == 2; }, 3.0));

    const std::vector<LoopbackPlayedMessage> played = LoopbackTakePlayedMessages();
    const std::vector<double> offsets = {0.125, 0.375, 0.5, 0.625, 0.625, 0.875};
    ASSERT_EQ(played.size(), offsets.size());
    const double origin = played[0].time - offsets[0];
    EXPECT_GE(origin, beforeRestart);
    EXPECT_LE(origin, afterRestart);
    for (std::size_t i = 0; i < played.size(); ++i) EXPECT_NEAR(played[i].time - origin, offsets[i], 1e-9) << i;
    EXPECT_EQ(played[4].message, ShortMessage(0x91, 67, 127));

    // Each callback with its record's offset (1000 + offset in the second buffer), each buffer
    // done after its callbacks.
    std::vector<std::pair<UINT, std::uint32_t>> midi;
    for (const Notice& n : receiver.notices) {
        const std::uint32_t buffer = n.header == reinterpret_cast<LPARAM>(&first.header) ? 0 : 1;
        if (n.message == kMmMomDone) midi.emplace_back(n.message, buffer);
        if (n.message == kMmMomPositionCb) midi.emplace_back(n.message, buffer * 1000 + n.offset);
    }
    const std::vector<std::pair<UINT, std::uint32_t>> expectedMidi = {
        {kMmMomPositionCb, 0},    {kMmMomPositionCb, 12},   {kMmMomPositionCb, 48}, {kMmMomDone, 0},
        {kMmMomPositionCb, 1012}, {kMmMomPositionCb, 1036}, {kMmMomDone, 1}};
    EXPECT_EQ(midi, expectedMidi);
    EXPECT_EQ(std::uint32_t{second.header.flags}, kHeaderPrepared | kMidiHeaderIsStream | kHeaderDone);

    // Stopped part way through a buffer: every buffer comes back in order, that one partly filled.
    const double beforeReset = LoopbackClockSeconds();
    ASSERT_EQ(WaveInReset(wave), kMmNoError);
    const double afterReset = LoopbackClockSeconds();
    ASSERT_TRUE(receiver.PumpUntil([&] { return receiver.Count(kMmWimData) == 6; }, 1.0));
    std::vector<LPARAM> order, queued;
    for (const Notice& n : receiver.notices) {
        if (n.message == kMmWimData) order.push_back(n.header);
    }
    for (const WaveHeader& header : capture.headers) queued.push_back(reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(order, queued);
    std::size_t frames = 0, partial = 0;
    for (const WaveHeader& header : capture.headers) {
        EXPECT_EQ(header.flags, kHeaderPrepared | kHeaderDone);
        EXPECT_TRUE(partial == 0 || header.bytesRecorded == 0) << "after the partial buffer";
        if (header.bytesRecorded < header.bufferLength && partial == 0) partial = header.bytesRecorded;
        frames += header.bytesRecorded / kFrameBytes;
    }
    EXPECT_GT(partial, 0u);
    EXPECT_GE(static_cast<double>(frames), (beforeReset - start) * kRate);
    EXPECT_LE(static_cast<double>(frames), (afterReset - start) * kRate + 1);

    // Every sample is the sound at its frame's time; notes out of silence start where they fall.
    const std::vector<std::int16_t> samples = capture.Samples(6);
    EXPECT_EQ(Mismatches(samples, Expected(played, start, frames)), 0u);
    for (std::size_t i : {0, 2}) {
        const double at = (played[i].time - start) * kRate;
        std::size_t onset = static_cast<std::size_t>(at) - 50;
        while (onset < samples.size() && samples[onset] == 0) ++onset;
        EXPECT_NEAR(static_cast<double>(onset), std::round(at), 1.0) << "note " << i;
    }
    EXPECT_EQ(WaveInClose(wave), kMmNoError);
    wave = nullptr;
}

TEST_F(LoopbackStudio, UnknownDevicesFormatsAndHandlesAreRefused) {
    std::uint32_t device = 1;
    EXPECT_EQ(MidiStreamOpen(&stream, &device, nullptr), kMmBadDeviceId);
    EXPECT_EQ(WaveInOpen(&wave, 1, PcmFormat(2, kRate, 16), nullptr), kMmBadDeviceId);
    EXPECT_EQ(WaveInOpen(&wave, 0, PcmFormat(2, 96000, 16), nullptr), kWaveBadFormat);
    EXPECT_EQ(WaveInOpen(&wave, 0, PcmFormat(2, kRate, 24), nullptr), kWaveBadFormat);
    Open();
    device = 0;
    MidiStreamHandle second = nullptr;
    EXPECT_EQ(MidiStreamOpen(&second, &device, nullptr), kMmAllocated);
    WaveBuffers capture({64});
    Queue(capture);
    EXPECT_EQ(WaveInClose(wave), kWaveStillPlaying);
    ASSERT_EQ(MidiStreamClose(stream), kMmNoError);
    for (void* bad : {stream, wave, static_cast<void*>(&device)}) EXPECT_EQ(MidiStreamRestart(bad), kMmInvalidHandle);
    EXPECT_EQ(WaveInStart(stream), kMmInvalidHandle);
    stream = nullptr;
}

TEST(LoopbackStudioFailures, EachCallAnswersItsInjectedCodeAndChangesNothing) {
    Receiver receiver;
    const std::pair<std::string, bool> rows[] = {
        {"open", true},  {"property", true}, {"restart", true}, {"position", true}, {"prepare", true},   {"unprepare", true},
        {"out", true},   {"close", true},    {"open", false},   {"prepare", false},  {"add", false},
        {"start", false}, {"reset", false},  {"unprepare", false}, {"close", false},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto& [failing, midi] = rows[row];
        const MmResult code = 100 + static_cast<MmResult>(row);  // no call answers that by itself
        const std::string fail = "fail " + failing + " " + std::to_string(code) + "\n";
        ASSERT_TRUE(testfiles::LoadLoopbackDevices("midiout Synth\n" + (midi ? fail : "") + "wavein Mic\n" + (midi ? "" : fail)));
        SCOPED_TRACE(failing + (midi ? " on MIDI OUT" : " on WAVE IN"));

        void* handle = nullptr;
        std::uint32_t device = 0;
        StreamBuffer a{StreamRecords().Nop(48000)};  // stays queued
        StreamBuffer b{StreamRecords()};
        WaveBuffers w({16000});  // a second at 8000/16/1: still queued at the reset
        using Calls = std::vector<std::pair<std::string, std::function<MmResult()>>>;
        const Calls calls = midi ? Calls{
            {"open", [&] { return MidiStreamOpen(&handle, &device, receiver.window); }},
            {"property", [&] { return MidiStreamSetTimeDivision(handle, 480); }},
            {"restart", [&] { return MidiStreamRestart(handle); }},
            {"position", [&] { std::uint32_t ms = 0; return MidiStreamPositionMs(handle, &ms); }},
            {"prepare", [&] { return std::max(MidiStreamPrepare(handle, &a.header), MidiStreamPrepare(handle, &b.header)); }},
            {"unprepare", [&] { return MidiStreamUnprepare(handle, &b.header); }},
            {"out", [&] { return MidiStreamOut(handle, &a.header); }},
            {"close", [&] { return MidiStreamClose(handle); }},
        } : Calls{
            {"open", [&] { return WaveInOpen(&handle, 0, PcmFormat(1, 8000, 16), receiver.window); }},
            {"prepare", [&] { return WaveInPrepare(handle, &w.headers[0]); }},
            {"add", [&] { return WaveInAdd(handle, &w.headers[0]); }},
            {"start", [&] { return WaveInStart(handle); }},
            {"reset", [&] { return WaveInReset(handle); }},
            {"unprepare", [&] { return WaveInUnprepare(handle, &w.headers[0]); }},
            {"close", [&] { return WaveInClose(handle); }},
        };
        const auto state = [&] {
            return std::tuple(handle, std::uint32_t{a.header.flags}, std::uint32_t{b.header.flags}, w.headers[0].flags,
                              LoopbackLastCaptureStart());
        };
        for (const auto& [name, call] : calls) {
            if (name != failing) {
                ASSERT_EQ(call(), kMmNoError) << name;
                continue;
            }
            const auto before = state();
            EXPECT_EQ(call(), code);
            EXPECT_EQ(state(), before);
            if (handle) {
                EXPECT_NE(midi ? MidiStreamRestart(handle) : WaveInStart(handle), kMmInvalidHandle);
            }
            break;
        }
        ASSERT_TRUE(testfiles::LoadLoopbackDevices(""));  // closes what is open while its headers exist
    }
}

}  // namespace
}  // namespace solvena::devices
