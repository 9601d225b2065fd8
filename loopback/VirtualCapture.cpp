#include "loopback/VirtualCapture.h"

#include <algorithm>
#include <span>

#include "loopback/PcmFrame.h"

namespace solvena::devices {

namespace {

// Bounds the scratch memory when a late round has many frames to write.
constexpr std::uint64_t kMaxFramesPerRender = 4096;

}  // namespace

bool CaptureFormatSupported(const WaveFormat& format) {
    return format.formatTag == 1 && format.samplesPerSec > 0 &&
           PcmFrameSupported(format.bitsPerSample, format.channels) &&
           format.blockAlign == format.channels * format.bitsPerSample / 8;
}

MmResult VirtualCapture::Prepare(WaveHeader* header) {
    if (!header) return kMmInvalidParam;
    header->flags |= kHeaderPrepared;
    return kMmNoError;
}

MmResult VirtualCapture::Add(WaveHeader* header) {
    if (!header) return kMmInvalidParam;
    if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
    if (header->flags & kWaveHeaderInQueue) return kWaveStillPlaying;
    if (!header->data && header->bufferLength > 0) return kMmInvalidParam;
    header->flags = (header->flags | kWaveHeaderInQueue) & ~kHeaderDone;
    header->bytesRecorded = 0;
    queue_.push_back(header);
    return kMmNoError;
}

MmResult VirtualCapture::Unprepare(WaveHeader* header) {
    if (!header) return kMmInvalidParam;
    if (header->flags & kWaveHeaderInQueue) return kWaveStillPlaying;
    header->flags &= ~kHeaderPrepared;
    return kMmNoError;
}

void VirtualCapture::Start(double firstFrameTime) {
    if (started_) return;
    started_ = true;
    clock_ = FrameClock(firstFrameTime, format_.samplesPerSec, deviceClock_);
    nextFrame_ = 0;
}

void VirtualCapture::Finish(WaveHeader* header, std::vector<WaveHeader*>& done) {
    header->flags = (header->flags | kHeaderDone) & ~kWaveHeaderInQueue;
    done.push_back(header);
}

std::uint64_t VirtualCapture::Advance(const VirtualSynth& synth, double now, std::vector<WaveHeader*>& done) {
    if (!started_) return 0;
    const std::uint64_t due = clock_.FramesBefore(now);
    const std::uint32_t frameBytes = format_.blockAlign;
    std::uint64_t lost = 0;
    while (nextFrame_ < due) {
        if (queue_.empty()) {
            lost += due - nextFrame_;
            nextFrame_ = due;
            break;
        }
        WaveHeader* header = queue_.front();
        const std::uint64_t room = (header->bufferLength - header->bytesRecorded) / frameBytes;
        const std::uint64_t count = std::min({room, due - nextFrame_, kMaxFramesPerRender});
        if (count > 0) {
            scratch_.assign(static_cast<std::size_t>(count), 0.0);
            if (!input_.deaf) synth.Render(clock_, nextFrame_, scratch_);
            std::uint8_t* at = header->data + header->bytesRecorded;
            for (std::size_t i = 0; i < scratch_.size(); ++i) {
                double value = scratch_[i] + input_.dc;
                if (input_.noiseRms > 0) value += input_.noiseRms * noise_(random_);
                WritePcmFrame(value, format_.bitsPerSample, format_.channels,
                              std::span<std::uint8_t>(at + i * frameBytes, frameBytes));
            }
            header->bytesRecorded += static_cast<std::uint32_t>(count * frameBytes);
            nextFrame_ += count;
        }
        if (header->bufferLength - header->bytesRecorded < frameBytes) {
            queue_.pop_front();
            Finish(header, done);
        }
    }
    return lost;
}

void VirtualCapture::Reset(std::vector<WaveHeader*>& done) {
    started_ = false;
    for (WaveHeader* header : queue_) Finish(header, done);
    queue_.clear();
}

}  // namespace solvena::devices
