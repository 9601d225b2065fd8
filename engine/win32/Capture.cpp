#include "engine/win32/Capture.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/CaptureSpan.h"
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
CaptureSpan span;

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

// The part of a handed-back buffer that belongs in the file.
void WriteDelivered(const CaptureBuffer& buffer) {
    const BytesToWrite part = span.Take(std::min(buffer.header.bytesRecorded, kCaptureBufferSize));
    if (part.count > 0) AppendToWavFile(buffer.block.data() + part.offset, part.count);
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
    span.Start(waveFormat.blockAlign);
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

bool StartCapture() {
    const devices::MmResult result = devices::WaveInStart(waveIn);
    Report(ReportCall::captureStart, result);
    return result == devices::kMmNoError;
}

bool CapturePosition(std::uint32_t* frames) {
    return capturing && devices::WaveInPosition(waveIn, waveFormat.blockAlign, frames) == devices::kMmNoError;
}

void RecordCaptureFrom(std::uint64_t frame) { span.From(frame); }

void RecordCaptureUntil(std::uint64_t frame) { span.Until(frame); }

std::uint64_t CaptureDeliveredFrames() {
    if (!capturing) return span.DeliveredFrames();
    const WaveHeader& filling = captureBuffers[captureBufferIndex].header;
    return span.DeliveredFrames() +
           std::min(filling.bytesRecorded, kCaptureBufferSize) / std::max<std::uint32_t>(waveFormat.blockAlign, 1);
}

void OnCaptureData(LPARAM header) {
    if (!capturing) return;
    CaptureBuffer& buffer = captureBuffers[captureBufferIndex];
    // Buffers come back in the order they were queued; anything else is a stale notification.
    if (reinterpret_cast<WaveHeader*>(header) != &buffer.header) return;
    WriteDelivered(buffer);
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
        if (!buffer.block.empty()) WriteDelivered(buffer);
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
