// Everything one run of the stack holds between the messages that drive it: where it stands, the
// job being recorded (its capture's wait and clock, its music's place), and what the finished jobs
// left for the report. The job stack window owns the one run of the program and hands it to every
// step of the run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/PairDelays.h"
#include "engine/RunTexts.h"
#include "engine/win32/CaptureClock.h"
#include "engine/win32/CaptureStart.h"
#include "engine/win32/RunJournalFile.h"
#include "engine/win32/SystemRequests.h"

namespace solvena::engine {

// A WAVE IN device's clock as the run's last job on it measured it: the next job on it starts
// with its music already on that clock.
struct DeviceClockRate {
    std::string waveIn;
    std::uint32_t rate = 0;
    double ppm = 0;
};

struct RunState {
    std::int32_t currentJob = 0;
    int tailPhase = 0;
    bool runStarted = false;
    bool checkingBeforeRun = false;
    bool runModeEntered = false;
    bool currentJobFailed = false;
    bool reportShown = false;

    // The levels and figures of every recording this run has completed, in run order.
    std::vector<RecordedJob> recordedJobs;
    // The delays measured for pairs of devices, read when the run starts.
    std::vector<PairDelay> pairDelays;
    std::vector<DeviceClockRate> deviceRates;
    // What the next start offers to take up again, should this run not end.
    RunJournalFile journal;
    // A run started from the command line: nobody answers its questions (the existing-file one
    // takes `overwriteExisting`, every other one its Yes), and it keeps no journal.
    bool unattended = false;
    bool overwriteExisting = false;
    // Held from the run's start to its end: the computer awake, the fine timer, the taskbar button.
    RunSystemRequests systemRequests;

    // The current job: from the stream's start to its start tick (song time), the pair's delay (its
    // file starts that much later, so its tail runs that much longer), and whether its music has
    // started (a capture that stops now broke off a recording).
    double leadInSeconds = 0;
    double jobDelaySeconds = 0;
    bool musicStarted = false;
    CaptureWaiter captureWait;
    CaptureClock captureClock;

    // The current job's clock in run mode: from its music's start to its capture's stop.
    ULONGLONG clockStartMs = 0;
    ULONGLONG clockStoppedMs = 0;
    bool clockRunning = false;
    std::uint64_t expectedMs = 0;
};

}  // namespace solvena::engine
