#include "engine/win32/Capture.h"

#include <algorithm>
#include <array>
#include <deque>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/CaptureSpan.h"
#include "engine/DeviceReports.h"
#include "engine/PreRunChecks.h"
#include "engine/RunTexts.h"
#include "engine/win32/CaptureStart.h"
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
// The job's buffer size: the same time in every format.
std::uint32_t bufferBytes = 0;
// The buffers in the device, in the order they were queued: the order it hands them back in.
std::deque<std::size_t> queued;
bool capturing = false;
bool gaps = false;
devices::WaveInHandle waveIn = nullptr;
CaptureSpan span;
std::string wavPath;
// When waveInStart was called and when it returned, on the program's fine clock.
double startCallMs = 0;
double startReturnedMs = 0;

// The job stack window: it receives the notifications and owns the boxes.
HWND owner = nullptr;

void Report(ReportCall call, devices::MmResult result) {
    if (const char* text = ReportText(call, result)) ShowMessageBox(owner, text, kErrorCaption, MB_OK);
}

// From the notification handler: shown once it has returned.
void ReportLater(ReportCall call, devices::MmResult result) {
    if (const char* text = ReportText(call, result)) DeferMessage(owner, text, kErrorCaption);
}

// A buffer that is not in the device leaves the others less room: told once per recording.
void NoteGap() {
    if (gaps) return;
    gaps = true;
    DeferMessage(owner, CaptureGapText(wavPath), kErrorCaption);
}

void ResetBuffer(CaptureBuffer& buffer) {
    std::fill(buffer.block.begin(), buffer.block.end(), 0);
    buffer.header = WaveHeader{};
    buffer.header.data = buffer.block.data();
    buffer.header.bufferLength = bufferBytes;
}

// Prepares and queues buffer `index`, reporting both calls; true when it is in the device.
template <typename ReportFunction>
bool Queue(std::size_t index, ReportCall prepareCall, ReportCall addCall, ReportFunction report) {
    WaveHeader& header = captureBuffers[index].header;
    const devices::MmResult prepared = devices::WaveInPrepare(waveIn, &header);
    report(prepareCall, prepared);
    // Its box saw the program close, which stopped this capture.
    if (ProgramClosing()) return false;
    const devices::MmResult added = devices::WaveInAdd(waveIn, &header);
    report(addCall, added);
    if (prepared != devices::kMmNoError || added != devices::kMmNoError) return false;
    queued.push_back(index);
    return true;
}

void Append(const std::uint8_t* bytes, std::uint32_t count) { AppendToWavFile(bytes, count); }

// The part of a handed-back buffer that belongs in the file.
void WriteDelivered(const CaptureBuffer& buffer) {
    span.Take(std::span<const std::uint8_t>(buffer.block.data(), std::min(buffer.header.bytesRecorded, bufferBytes)),
              Append);
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
    wavPath = TextOf(job.wavPath);
    waveFormat = CaptureFormatOf(job);
    bufferBytes = CaptureBufferBytes(waveFormat.samplesPerSec, waveFormat.blockAlign);
    for (CaptureBuffer& buffer : captureBuffers) {
        buffer.block.assign(bufferBytes, 0);
        ResetBuffer(buffer);
    }
    queued.clear();
    gaps = false;
    capturing = true;
    waveIn = nullptr;
    // 8-bit samples are unsigned: their silence is the middle of the range.
    span.Start(waveFormat.blockAlign, waveFormat.bitsPerSample == 8 ? 0x80 : 0);
    Report(ReportCall::captureOpen,
           devices::WaveInOpen(&waveIn, static_cast<std::uint32_t>(job.waveInDevice), waveFormat, window));
    std::size_t refused = 0;
    for (std::size_t i = 0; i < kCaptureBufferCount; ++i) {
        // A report's box saw the program close, which stopped this capture.
        if (ProgramClosing()) return;
        if (!Queue(i, ReportCall::capturePrepare, ReportCall::captureAdd, Report)) ++refused;
    }
    // With none queued the capture cannot start at all, which the run says instead.
    if (refused > 0 && !queued.empty()) NoteGap();
}

WavOpen CreateWavFile(const RecordingJob& job, const WavMarks& marks) {
    return OpenWavFile(TextOf(job.wavPath), waveFormat, owner, marks);
}

bool StartCapture() {
    startCallMs = CaptureClockMs();
    const devices::MmResult result = devices::WaveInStart(waveIn);
    startReturnedMs = CaptureClockMs();
    Report(ReportCall::captureStart, result);
    return result == devices::kMmNoError && !queued.empty();
}

double CaptureStartCallMs() { return startCallMs; }

double CaptureStartReturnedMs() { return startReturnedMs; }

bool CapturePosition(std::uint32_t* frames) {
    return capturing && devices::WaveInPosition(waveIn, waveFormat.blockAlign, frames) == devices::kMmNoError;
}

void RecordCaptureFrom(std::uint64_t frame) { span.From(frame); }

void RecordCaptureUntil(std::uint64_t frame) { span.Until(frame); }

void OpenCaptureGap(std::uint64_t deliveredFrame) {
    if (capturing) span.OpenGap(deliveredFrame);
}

void CloseCaptureGap(std::uint64_t frames) {
    if (capturing) span.CloseGap(frames, Append);
}

bool CaptureGapOpen() { return span.GapOpen(); }

std::uint64_t CaptureDeliveredFrames() {
    if (!capturing || queued.empty()) return span.DeliveredFrames();
    const WaveHeader& filling = captureBuffers[queued.front()].header;
    return span.DeliveredFrames() +
           std::min(filling.bytesRecorded, bufferBytes) / std::max<std::uint32_t>(waveFormat.blockAlign, 1);
}

CaptureProgress OnCaptureData(LPARAM header) {
    if (!capturing) return CaptureProgress::recording;
    // Each buffer is known by its own header: one that could not be queued again is not in
    // the device, and the next one to come back is the one after it.
    const auto at = std::find_if(queued.begin(), queued.end(), [header](std::size_t i) {
        return reinterpret_cast<WaveHeader*>(header) == &captureBuffers[i].header;
    });
    // Not a buffer the device has handed back: a stale notification (one of an earlier capture
    // names the same headers).
    if (at == queued.end() || !(captureBuffers[*at].header.flags & devices::kHeaderDone)) {
        return CaptureProgress::recording;
    }
    const std::size_t index = *at;
    queued.erase(at);
    CaptureBuffer& buffer = captureBuffers[index];
    WriteDelivered(buffer);
    constexpr std::uint32_t kBack = devices::kHeaderPrepared | devices::kHeaderDone;
    // Queued again even when the device returned it before it was full: its bytes are written,
    // and leaving it out would leave the others less room.
    bool requeued = false;
    if ((buffer.header.flags & kBack) == kBack) {
        devices::WaveInUnprepare(waveIn, &buffer.header);
        ResetBuffer(buffer);
        requeued = Queue(index, ReportCall::recyclePrepare, ReportCall::recycleAdd, ReportLater);
    }
    if (!requeued) NoteGap();
    return queued.empty() ? CaptureProgress::stopped : CaptureProgress::recording;
}

void StopCapture() {
    if (!capturing) return;
    devices::WaveInReset(waveIn);
    // In queue order: buffers handed back but not yet seen, then the partly filled one.
    for (std::size_t index : queued) WriteDelivered(captureBuffers[index]);
    queued.clear();
    // A gap not yet told waits no longer: what came after it is kept as it came.
    span.CloseGap(0, Append);
    for (CaptureBuffer& buffer : captureBuffers) devices::WaveInUnprepare(waveIn, &buffer.header);
    ReleaseBuffers();
    capturing = false;
    CompleteWavFile();
    devices::WaveInClose(waveIn);
    waveIn = nullptr;
}

bool Capturing() { return capturing; }

bool CaptureHadGaps() { return gaps; }

std::uint64_t CapturedBytes() { return WavDataBytes(); }

double CapturedExactSeconds() {
    return static_cast<double>(WavDataBytes()) / std::max<std::uint32_t>(waveFormat.avgBytesPerSec, 1);
}

std::uint64_t CapturedSeconds() { return WavDataBytes() / std::max<std::uint32_t>(waveFormat.avgBytesPerSec, 1); }

}  // namespace solvena::engine
