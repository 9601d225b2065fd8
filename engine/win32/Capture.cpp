#include "engine/win32/Capture.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/DeviceReports.h"
#include "engine/PreRunChecks.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/WavFile.h"

namespace solvena::engine {

namespace {

using devices::WaveHeader;

struct CaptureBuffer {
    WaveHeader header;
    std::vector<std::uint8_t> block;
};

devices::WaveFormat waveFormat;
std::array<CaptureBuffer, kCaptureBufferCount> captureBuffers;
std::size_t captureBufferIndex = 0;
bool capturing = false;
devices::WaveInHandle waveIn = nullptr;

// The job stack window: it receives the notifications and owns the boxes.
HWND owner = nullptr;

void Report(ReportCall call, devices::MmResult result) {
    if (const char* text = ReportText(call, result)) ShowMessageBox(owner, text, kErrorCaption, MB_OK);
}

// From the notification handler: shown once it has returned.
void ReportLater(ReportCall call, devices::MmResult result) {
    if (const char* text = ReportText(call, result)) DeferMessage(owner, text, kErrorCaption);
}

void ResetBuffer(CaptureBuffer& buffer) {
    std::fill(buffer.block.begin(), buffer.block.end(), 0);
    buffer.header = WaveHeader{};
    buffer.header.data = buffer.block.data();
    buffer.header.bufferLength = kCaptureBufferSize;
}

void ReleaseBuffers() {
    for (CaptureBuffer& buffer : captureBuffers) {
        std::vector<std::uint8_t>().swap(buffer.block);
        buffer.header = WaveHeader{};
    }
}

}  // namespace

void OpenCapture(const RecordingJob& job, HWND window) {
    owner = window;
    waveFormat = CaptureFormatOf(job);
    for (CaptureBuffer& buffer : captureBuffers) {
        buffer.block.assign(kCaptureBufferSize, 0);
        ResetBuffer(buffer);
    }
    capturing = true;
    waveIn = nullptr;
    Report(ReportCall::captureOpen,
           devices::WaveInOpen(&waveIn, static_cast<std::uint32_t>(job.waveInDevice), waveFormat, window));
    for (CaptureBuffer& buffer : captureBuffers) {
        Report(ReportCall::capturePrepare, devices::WaveInPrepare(waveIn, &buffer.header));
        Report(ReportCall::captureAdd, devices::WaveInAdd(waveIn, &buffer.header));
    }
}

bool CreateWavFile(const RecordingJob& job) {
    captureBufferIndex = 0;
    return OpenWavFile(TextOf(job.wavPath), waveFormat, owner);
}

void StartCapture() { Report(ReportCall::captureStart, devices::WaveInStart(waveIn)); }

void OnCaptureData(LPARAM header) {
    if (!capturing) return;
    CaptureBuffer& buffer = captureBuffers[captureBufferIndex];
    // Buffers come back in the order they were queued; anything else is a stale notification.
    if (reinterpret_cast<WaveHeader*>(header) != &buffer.header) return;
    AppendToWavFile(buffer.block.data(), std::min(buffer.header.bytesRecorded, kCaptureBufferSize));
    constexpr std::uint32_t kBack = devices::kHeaderPrepared | devices::kHeaderDone;
    if ((buffer.header.flags & kBack) != kBack) return;
    // Queued again even when the device returned it before it was full: its bytes are written,
    // and leaving it out would stall the cycle on this buffer.
    devices::WaveInUnprepare(waveIn, &buffer.header);
    ResetBuffer(buffer);
    ReportLater(ReportCall::recyclePrepare, devices::WaveInPrepare(waveIn, &buffer.header));
    ReportLater(ReportCall::recycleAdd, devices::WaveInAdd(waveIn, &buffer.header));
    captureBufferIndex = (captureBufferIndex + 1) % kCaptureBufferCount;
}

void StopCapture() {
    if (!capturing) return;
    devices::WaveInReset(waveIn);
    // In queue order: buffers handed back but not yet seen, then the partly filled one.
    for (std::size_t i = 0; i < kCaptureBufferCount; ++i) {
        CaptureBuffer& buffer = captureBuffers[(captureBufferIndex + i) % kCaptureBufferCount];
        if (!buffer.block.empty()) {
            AppendToWavFile(buffer.block.data(), std::min(buffer.header.bytesRecorded, kCaptureBufferSize));
        }
    }
    for (CaptureBuffer& buffer : captureBuffers) devices::WaveInUnprepare(waveIn, &buffer.header);
    ReleaseBuffers();
    capturing = false;
    CompleteWavFile();
    devices::WaveInClose(waveIn);
    waveIn = nullptr;
}

bool Capturing() { return capturing; }

std::uint64_t CapturedBytes() { return WavDataBytes(); }

}  // namespace solvena::engine
