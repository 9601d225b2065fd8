// Listening to a WAVE IN device from the driver itself, to hear what a synthesizer does while the
// program runs (after the program has ended, too): 16-bit mono, every buffer queued up front.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

namespace uidriver {

class MonitorTake {
public:
    MonitorTake() = default;
    ~MonitorTake();
    MonitorTake(const MonitorTake&) = delete;
    MonitorTake& operator=(const MonitorTake&) = delete;

    // Starts recording device `id` for at most `seconds`; false when it cannot.
    bool Start(UINT id, double seconds);
    // Stops and keeps what was recorded.
    void Stop();
    // The peak of [fromMs, untilMs) on the performance counter's clock, in dBFS (-200 for none).
    double PeakDbfs(double fromMs, double untilMs) const;
    // How fast the device's clock ran against the performance counter, in ppm: the line through
    // the times its buffers came back against the frames they held, leaving out the first
    // `skipSeconds`; NaN without enough buffers.
    double RatePpm(double skipSeconds) const;
    double SecondsRecorded() const { return static_cast<double>(samples_.size()) / kRate; }

private:
    static void CALLBACK Done(HWAVEIN, UINT message, DWORD_PTR self, DWORD_PTR header, DWORD_PTR);

    static constexpr DWORD kRate = 44100;
    static constexpr DWORD kBufferFrames = kRate / 10;

    HWAVEIN wave_ = nullptr;
    std::vector<std::vector<short>> blocks_;
    std::vector<WAVEHDR> headers_;
    std::vector<short> samples_;
    // When each buffer came back, by its index (written by the driver's thread).
    std::vector<double> doneMs_;
    double startMs_ = 0;
};

// The performance counter in milliseconds: one clock for every Wine process on this machine.
double CounterMs();

}  // namespace uidriver
