// The recording run: every switched-on job of the stack in turn, driven by the job stack
// window's messages (its record button, its own next-job command, the tail timer and the two
// device notifications).
#pragma once

#include <windows.h>

#include <cstdint>

namespace solvena::engine {

struct RunState;

constexpr int kRecordCommand = 14;
constexpr int kNextJobCommand = 126;
constexpr UINT_PTR kTailTimer = 1;
// Run mode's clock of the job being recorded, ticking twice a second.
constexpr UINT_PTR kClockTimer = 2;
constexpr UINT kClockPeriodMs = 500;
// Between the capture's start and the music's: looks at the capture until it delivers.
constexpr UINT_PTR kCaptureWaitTimer = 3;
// Fires when the job's playback has not ended this long after its music should have.
constexpr UINT_PTR kWatchdogTimer = 4;
constexpr UINT kWatchdogGraceMs = 10000;

// The 録音 button: both pre-run checks, then the first job. Once a run has begun it stays the
// only run of the program.
void OnRecordCommand(HWND window, RunState& run);
// Command 126: the current job is done (or could not be recorded); on to the next.
void OnNextJobCommand(HWND window, RunState& run);
void OnTailTimer(HWND window, RunState& run);
// WM_TIMER of any of the run's timers.
void OnRunTimer(HWND window, RunState& run, UINT_PTR timer);
void OnStreamPositionMessage(HWND window, RunState& run, LPARAM header);
void OnStreamDoneMessage(HWND window, RunState& run);
void OnCaptureDataMessage(HWND window, RunState& run, LPARAM header);

// The main window's end (and the session's): closes the stream, the wave input and the WAV file
// of a job in progress, leaving a complete file with everything captured so far. The program is
// closing from then on (ProgramClosing): a run inside whose box this came opens nothing more.
// The run has ended, and its journal goes.
void StopRunOnExit();
// Windows ends the session under a run: its journal stays, so the next start can take it up.
void KeepRunJournalForSessionEnd();

// The position of the job being recorded (0 before the first run).
std::int32_t CurrentJobPosition();
// Forgets a finished run, as a fresh start of the program would, the program's closing too: for
// tests that run several.
void ResetRun();

}  // namespace solvena::engine
