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
    const auto count = static_cast<std::size_t>(std::ceil(seconds * 10));
    doneMs_.assign(count, 0);
    if (waveInOpen(&wave_, id, &format, reinterpret_cast<DWORD_PTR>(Done), reinterpret_cast<DWORD_PTR>(this),
                   CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        wave_ = nullptr;
        return false;
    }
    blocks_.assign(count, std::vector<short>(kBufferFrames));
    headers_.assign(count, WAVEHDR{});
    for (std::size_t i = 0; i < count; ++i) {
        headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
        headers_[i].dwBufferLength = kBufferFrames * 2;
        headers_[i].dwUser = i;
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

void CALLBACK MonitorTake::Done(HWAVEIN, UINT message, DWORD_PTR self, DWORD_PTR header, DWORD_PTR) {
    if (message != WIM_DATA) return;
    const auto* done = reinterpret_cast<const WAVEHDR*>(header);
    auto* take = reinterpret_cast<MonitorTake*>(self);
    // Only full buffers say when their last frame came; the reset's partial one does not.
    if (done->dwBytesRecorded == kBufferFrames * 2 && done->dwUser < take->doneMs_.size()) {
        take->doneMs_[done->dwUser] = CounterMs();
    }
}

double MonitorTake::RatePpm(double skipSeconds) const {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double skipMs = skipSeconds * 1000;
    const auto first = std::find_if(doneMs_.begin(), doneMs_.end(), [](double ms) { return ms > 0; });
    if (first == doneMs_.end()) return NAN;
    for (std::size_t i = 0; i < doneMs_.size(); ++i) {
        if (doneMs_[i] <= 0 || doneMs_[i] - *first < skipMs) continue;
        const double x = doneMs_[i] - *first, y = static_cast<double>(i + 1) * kBufferFrames;
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    if (n < 10 || n * sxx - sx * sx <= 0) return NAN;
    const double framesPerMs = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return (framesPerMs / (kRate / 1000.0) - 1) * 1e6;
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
