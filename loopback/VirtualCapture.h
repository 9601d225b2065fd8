// A loopback WAVE IN device's recording: the synth's output sampled at the capture's frame
// times and written as PCM frames (loopback/PcmFrame.h) into the queued buffers in order. Frame
// k is sampled at start + k / rate on the studio clock, unless the device's own clock runs fast
// or slow or drops out (loopback/FrameClock.h, which also gives the position the device counts).
//
// The device's input may add a DC offset and white noise to the synth, or record no synth at
// all; its noise comes from a generator seeded alike for every capture, so a test hears the same
// noise each time.
//
// A buffer is done once it has no room for another whole frame. Frames that fall due while no
// buffer is queued are lost (and counted, and counted in the position); the frames after them
// keep their times, so the capture never drifts from its clock. A dropout is not such a loss:
// the device never delivers or counts the frames of its stretch.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <utility>
#include <vector>

#include "engine/DeviceSeam.h"
#include "loopback/FrameClock.h"
#include "loopback/VirtualSynth.h"

namespace solvena::devices {

// Whether the studio can record this format at all (PCM, 1 or 2 channels of 8, 16, 24 or 32
// bits, a rate above 0, consistent block align).
bool CaptureFormatSupported(const WaveFormat& format);

// What a device records besides the synth, against full scale.
struct CaptureInput {
    double dc = 0;
    double noiseRms = 0;  // Gaussian white noise
    bool deaf = false;    // records none of the synth
};

class VirtualCapture {
public:
    // The format must be one CaptureFormatSupported accepts.
    explicit VirtualCapture(const WaveFormat& format, const CaptureInput& input = {}, DeviceClock clock = {})
        : format_(format), input_(input), deviceClock_(std::move(clock)) {}

    static MmResult Prepare(WaveHeader* header);
    MmResult Add(WaveHeader* header);
    static MmResult Unprepare(WaveHeader* header);

    // Frame 0 is the sound at `firstFrameTime` (a device that is slow to start delivers its
    // first frame some time after the call); the device's dropouts count from there. A started
    // capture stays as it is.
    void Start(double firstFrameTime);
    // The position a driver reports: frames captured before `now`, 0 until the first one and
    // after a reset.
    std::uint64_t Position(double now) const { return started_ ? clock_.FramesBefore(now) : 0; }
    // Writes every frame due before `now`; appends the buffers it filled to `done`, marked done
    // and out of the queue. Returns how many frames were lost for want of a buffer.
    std::uint64_t Advance(const VirtualSynth& synth, double now, std::vector<WaveHeader*>& done);
    // Stops and hands back every queued buffer, in order, marked done: the partly filled one
    // with what it holds.
    void Reset(std::vector<WaveHeader*>& done);

    bool Started() const { return started_; }
    double StartTime() const { return clock_.Start(); }
    bool HasQueued() const { return !queue_.empty(); }

private:
    static void Finish(WaveHeader* header, std::vector<WaveHeader*>& done);

    WaveFormat format_;
    CaptureInput input_;
    DeviceClock deviceClock_;
    std::mt19937 random_{1};
    std::normal_distribution<double> noise_;
    std::deque<WaveHeader*> queue_;
    bool started_ = false;
    FrameClock clock_;
    std::uint64_t nextFrame_ = 0;
    std::vector<double> scratch_;
};

}  // namespace solvena::devices
