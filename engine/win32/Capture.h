// Recording a job's WAVE IN device into its WAV file: capture buffers of a tenth of a second
// cycle through the device, and each one it hands back is appended to the file's data chunk.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/win32/WavFile.h"
#include "jobs/RecordingJob.h"

namespace solvena::engine {

// Opens the device in the job's format with the window as callback and queues the buffers;
// every result is reported and the steps go on regardless.
void OpenCapture(const RecordingJob& job, HWND window);
// Creates (or truncates) the job's WAV file and writes it up to its first sample byte, with what
// tells where it belongs in its song.
WavOpen CreateWavFile(const RecordingJob& job, const WavMarks& marks = {});
// waveInStart, reported; false when it failed or no buffer is in the device to record into.
bool StartCapture();
// When StartCapture called the device's start, and when that call returned, on CaptureClockMs.
double CaptureStartCallMs();
double CaptureStartReturnedMs();
// The frames the device has captured so far; false when it cannot tell.
bool CapturePosition(std::uint32_t* frames);
// The WAV file holds the capture's frames from `frame` on (until StopCapture, or until
// RecordCaptureUntil's frame); nothing the device delivers is written before this is called.
void RecordCaptureFrom(std::uint64_t frame);
void RecordCaptureUntil(std::uint64_t frame);
// The device delivered nothing after its `deliveredFrame`th frame for a while: what it delivers
// next waits until CloseCaptureGap tells how long the gap was (0: there was none); the file gets
// silence of that length in its place, so every frame after it keeps its place.
void OpenCaptureGap(std::uint64_t deliveredFrame);
void CloseCaptureGap(std::uint64_t frames);
bool CaptureGapOpen();
// Frames the device has handed back so far, with those in the buffer it is filling.
std::uint64_t CaptureDeliveredFrames();
enum class CaptureProgress {
    recording,
    stopped,  // no buffer is left in the device: nothing more can be recorded
};

// MM_WIM_DATA: appends the buffer the device handed back and queues it again. A buffer that
// cannot be queued again is told once (the recording may have gaps) and the capture goes on
// with the others.
CaptureProgress OnCaptureData(LPARAM header);
// Stops the device, appends what the stopped buffers hold and completes the WAV file; also
// what the program's end does during a capture.
void StopCapture();

bool Capturing();
// A buffer of the current (or last) capture was not in the device for a while.
bool CaptureHadGaps();
// Sample bytes appended to the current (or last) WAV file, and the whole seconds they hold.
std::uint64_t CapturedBytes();
std::uint64_t CapturedSeconds();
double CapturedExactSeconds();

}  // namespace solvena::engine
