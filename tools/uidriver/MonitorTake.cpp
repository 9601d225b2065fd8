#include "MonitorTake.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace uidriver {

double CounterMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

MonitorTake::~MonitorTake() { Stop(); }

bool MonitorTake::Start(UINT id, double seconds) {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    if (waveInOpen(&wave_, id, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        wave_ = nullptr;
        return false;
    }
    const auto count = static_cast<std::size_t>(std::ceil(seconds * 10));
    blocks_.assign(count, std::vector<short>(kBufferFrames));
    headers_.assign(count, WAVEHDR{});
    for (std::size_t i = 0; i < count; ++i) {
        headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
        headers_[i].dwBufferLength = kBufferFrames * 2;
        waveInPrepareHeader(wave_, &headers_[i], sizeof(WAVEHDR));
        waveInAddBuffer(wave_, &headers_[i], sizeof(WAVEHDR));
    }
    // Under Wine the capture's first frame is the one captured as the start returns.
    startMs_ = CounterMs();
    return waveInStart(wave_) == MMSYSERR_NOERROR;
}

void MonitorTake::Stop() {
    if (wave_ == nullptr) return;
    waveInReset(wave_);
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        const std::size_t frames = headers_[i].dwBytesRecorded / 2;
        samples_.insert(samples_.end(), blocks_[i].begin(), blocks_[i].begin() + static_cast<std::ptrdiff_t>(frames));
        waveInUnprepareHeader(wave_, &headers_[i], sizeof(WAVEHDR));
        if (frames < kBufferFrames) break;
    }
    waveInClose(wave_);
    wave_ = nullptr;
}

double MonitorTake::PeakDbfs(double fromMs, double untilMs) const {
    const auto frameAt = [this](double ms) {
        return static_cast<std::size_t>(std::clamp((ms - startMs_) * kRate / 1000, 0.0, static_cast<double>(samples_.size())));
    };
    int peak = 0;
    for (std::size_t f = frameAt(fromMs); f < frameAt(untilMs); ++f) peak = std::max(peak, std::abs(static_cast<int>(samples_[f])));
    return peak > 0 ? 20 * std::log10(peak / 32768.0) : -200;
}

}  // namespace uidriver
