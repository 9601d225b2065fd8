#include "engine/win32/RunController.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/DeviceSeam.h"
#include "engine/JobStream.h"
#include "engine/PairDelays.h"
#include "engine/PreRunChecks.h"
#include "engine/RecordingStart.h"
#include "engine/RunTexts.h"
#include "engine/StreamMerge.h"
#include "engine/win32/Capture.h"
#include "engine/win32/CaptureStart.h"
#include "engine/win32/DelayMeasure.h"
#include "engine/win32/FileIdentity.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/MainWindowLink.h"
#include "engine/win32/Playback.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/WavFile.h"
#include "jobs/RecordingJob.h"
#include "song/SongLoader.h"
#include "song/SongState.h"

namespace solvena::engine {

namespace {

constexpr int kRecordingIcon = 2;
constexpr int kRecordedIcon = 3;
// Recorded, but silent or clipped: a file to listen to before trusting it.
constexpr int kCheckRecordingIcon = 4;
// A job that was not recorded shows the off icon; it stays switched on, so a saved list still
// records it next time.
constexpr int kNotRecordedIcon = 1;
// SetTimer takes at most 0x7FFFFFFF ms.
constexpr std::int32_t kMaxReverbSeconds = 0x7FFFFFFF / 1000;

std::int32_t currentJob = 0;
int tailPhase = 0;
bool runStarted = false;
bool checkingBeforeRun = false;
bool runModeEntered = false;
bool currentJobFailed = false;
bool reportShown = false;

// The levels of every recording this run has completed, in run order.
std::vector<RecordedJob> recordedJobs;

// From the stream's start to the job's start tick, by the stream's own records.
double leadInSeconds = 0;
// The current job's pair delay: its file starts that much later, so its tail runs that much longer.
double jobDelaySeconds = 0;
// The current job's music has started: a capture that stops now broke off a recording.
bool musicStarted = false;

// The delays measured for pairs of devices, read when the run starts.
std::vector<PairDelay> pairDelays;

// The current job's clock: from its music's start to its capture's stop.
ULONGLONG clockStartMs = 0;
ULONGLONG clockStoppedMs = 0;
bool clockRunning = false;
std::uint64_t expectedMs = 0;

const MainWindowLink& Link() { return CurrentMainWindowLink(); }

void SetProgress(const std::string& text) {
    if (Link().setProgressText != nullptr) Link().setProgressText(text.c_str());
}

RecordingJob& CurrentJob() { return jobs[static_cast<std::size_t>(currentJob)]; }

// ---- the pre-run checks on this system ----

FileState FileStateOf(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::missing;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? FileState::readOnly : FileState::writable;
}

bool AskYesNo(const std::string& text, const char* caption) {
    return ShowMessageBox(jobStackWindow, text.c_str(), caption, MB_YESNO) == IDYES;
}

PreRunHost SystemHost() {
    PreRunHost host;
    host.fileState = FileStateOf;
    host.ask = AskYesNo;
    host.waveInQuery = devices::WaveInQuery;
    host.midiOutCount = devices::MidiOutCount;
    host.setRowIcon = SetRowIcon;
    host.fileKey = FileKey;
    host.freeSpace = FreeSpace;
    return host;
}

// ---- the job's clock and levels ----

std::uint64_t ElapsedMs() {
    const ULONGLONG until = clockRunning ? GetTickCount64() : clockStoppedMs;
    return until > clockStartMs ? until - clockStartMs : 0;
}

void ShowJobClock() {
    if (Link().setJobLevel != nullptr) Link().setJobLevel(InputLevelText(WavLevels()).c_str());
    if (Link().setJobProgress == nullptr) return;
    const std::uint64_t elapsed = ElapsedMs();
    Link().setJobProgress(RunTimeText(elapsed / 1000, expectedMs / 1000).c_str(),
                          JobProgressPermille(elapsed, expectedMs));
}

void StartJobClock(HWND window) {
    const std::int32_t seconds = CurrentJob().expectedSeconds;
    expectedMs = seconds > 0 ? static_cast<std::uint64_t>(seconds) * 1000 : 0;
    clockStartMs = GetTickCount64();
    clockRunning = true;
    ShowJobClock();
    SetTimer(window, kClockTimer, kClockPeriodMs, nullptr);
}

// The capture has stopped: the clock stands, and what the file holds is kept for the report.
void EndRecording(std::optional<JobFailure> brokeOff = std::nullopt) {
    StopCapture();
    if (clockRunning) {
        clockStoppedMs = GetTickCount64();
        clockRunning = false;
        ShowJobClock();
    }
    RecordedJob recorded;
    recorded.position = currentJob;
    recorded.wavPath = TextOf(CurrentJob().wavPath);
    recorded.levels = WavLevels();
    recorded.seconds = CapturedSeconds();
    recorded.cut = WavFileCut();
    recorded.writeFailed = WavWriteFailed();
    recorded.gaps = CaptureHadGaps();
    recorded.brokeOff = brokeOff;
    recordedJobs.push_back(recorded);
    SetRowLevelText(currentJob, LevelCellText(recorded.levels));
}

bool LastRecordingNeedsCheck() {
    return !recordedJobs.empty() && recordedJobs.back().position == currentJob && NeedsCheck(recordedJobs.back());
}

void KillJobTimers(HWND window) {
    for (UINT_PTR timer : {kCaptureWaitTimer, kWatchdogTimer, kTailTimer}) KillTimer(window, timer);
}

// ---- one job ----

void Finish() {
    KillTimer(jobStackWindow, kClockTimer);
    SetProgress(kRunFinishedText);
    if (Link().setCancelText != nullptr) Link().setCancelText(kCloseText);
    if (reportShown) return;
    reportShown = true;
    const std::string report = RunReportText(recordedJobs, jobCount);
    if (!report.empty()) ShowMessageBox(jobStackWindow, report.c_str(), kRunReportCaption, MB_OK | MB_ICONWARNING);
}

// The failure text of the current job, ending with whether the run goes on after it.
std::string CurrentJobFailureText(JobFailure failure, std::uint64_t seconds = 0) {
    const RecordingJob& job = CurrentJob();
    return JobFailureText(failure, currentJob, jobCount, AfterFailureAt(StackedJobs(), currentJob),
                          TextOf(job.midiPath), TextOf(job.wavPath), seconds);
}

void TellJobFailed(JobFailure failure) {
    ShowMessageBox(jobStackWindow, CurrentJobFailureText(failure).c_str(), kErrorCaption, MB_OK);
}

// A job that cannot start: its row says so and the run goes on with the next one.
void SkipFailedJob(JobFailure failure) {
    SetRowIcon(currentJob, kNotRecordedIcon);
    TellJobFailed(failure);
    ++currentJob;
}

bool FirstSwitchedOnFromCurrent() {
    while (currentJob < jobCount && CurrentJob().enabled != 1) ++currentJob;
    return currentJob < jobCount;
}

enum class JobStart {
    recording,
    skipped,
    closing,  // a box of the start saw the program close
};

// The program's end (StopRunOnExit) has closed what the start had opened before its box; what
// the start holds besides is let go, and nothing more is opened or started.
JobStart StopStartForExit() {
    EndPlayback();
    StopCapture();
    ReleaseMergeBuffer();
    ReleaseStreamBuffers();
    return JobStart::closing;
}

JobStart StartJob(HWND window) {
    RecordingJob& job = CurrentJob();
    const std::string midiPath = TextOf(job.midiPath);
    if (!LoadSong(midiPath.c_str(), runSong, tracks)) {
        SkipFailedJob(JobFailure::songUnreadable);
        return JobStart::skipped;
    }
    SetProgress(ProgressText(currentJob, jobCount));
    if (!runModeEntered) {
        runModeEntered = true;
        if (Link().enterRunMode != nullptr) Link().enterRunMode();
    }
    SetRowIcon(currentJob, kRecordingIcon);

    const JobStreamInfo stream = BuildJobStream(runSong, tracks, job.startTick, job.endTick, job.trackEnabled);
    if (stream.result != StreamBuildResult::built) {
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        SkipFailedJob(stream.result == StreamBuildResult::empty ? JobFailure::nothingToPlay
                                                               : JobFailure::streamTooLong);
        return JobStart::skipped;
    }
    currentJobFailed = false;
    musicStarted = false;
    jobDelaySeconds = 0;
    leadInSeconds = StreamSecondsToTick(streamFills, static_cast<std::uint32_t>(runSong.division), stream.leadInTicks);
    OpenCapture(job, window);
    if (ProgramClosing()) return StopStartForExit();
    // Playing a job whose recording has nowhere to go would only look like success.
    if (const WavOpen file = CreateWavFile(job); file != WavOpen::opened) {
        StopCapture();
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        SkipFailedJob(file == WavOpen::headerFailed ? JobFailure::wavHeaderFailed : JobFailure::wavNotCreated);
        return JobStart::skipped;
    }
    // The stream waits, paused and loaded, while the capture starts: the music begins only once
    // the device delivers, and then with one call.
    const bool streamReady = OpenPlayback(job, runSong, window);
    if (ProgramClosing()) return StopStartForExit();
    const bool captureStarted = StartCapture();
    if (ProgramClosing()) return StopStartForExit();
    if (!streamReady || !captureStarted) {
        // A stream that did not load is not started: it would play its first records to the
        // synthesizer, or report its failed open a second time.
        EndPlayback();
        StopCapture();
        if (ProgramClosing()) return StopStartForExit();
        SkipFailedJob(streamReady ? JobFailure::captureNotStarted : JobFailure::playbackFailed);
        return JobStart::skipped;
    }
    BeginCaptureWait(static_cast<std::uint32_t>(job.sampleRate));
    SetTimer(window, kCaptureWaitTimer, kCaptureWaitPeriodMs, nullptr);
    return JobStart::recording;
}

// From the current position on: the first switched-on job that can be started, or the finish.
// A job skipped with a box may have seen the program close in it: then the run stops there.
void StartOrContinue(HWND window) {
    for (;;) {
        ReleaseTrackBuffers(tracks);
        runSong = Song{};
        if (ProgramClosing()) return;
        if (!FirstSwitchedOnFromCurrent()) {
            Finish();
            return;
        }
        if (StartJob(window) != JobStart::skipped) return;
    }
}

void StartTail(HWND window) {
    std::int32_t seconds = CurrentJob().reverbSeconds;
    if (seconds < 0) seconds = 0;
    if (seconds > kMaxReverbSeconds - 1) seconds = kMaxReverbSeconds - 1;
    tailPhase = 0;
    // What the module sounds at the end reaches the capture the pair's delay later.
    const auto delayMs = static_cast<UINT>(std::ceil(jobDelaySeconds * 1000));
    SetTimer(window, kTailTimer, static_cast<UINT>(seconds) * 1000u + delayMs, nullptr);
}

// A job that ends after its start: the WAV file is completed with what was recorded and the run
// moves on. A recording that broke off is kept, reported and marked to be checked; one that
// never began is marked as not recorded.
void AbandonCurrentJob(HWND window, JobFailure failure) {
    KillJobTimers(window);
    EndPlayback();
    if (BrokeOffRecording(failure)) {
        EndRecording(failure);
    } else {
        StopCapture();
        currentJobFailed = true;
    }
    DeferMessage(window, CurrentJobFailureText(failure, CapturedSeconds()), kErrorCaption);
    PostMessageA(window, WM_COMMAND, kNextJobCommand, 0);
}

// The delay measured for the job's pair of devices, in seconds; 0 when it was never measured.
double PairDelaySeconds(const RecordingJob& job) {
    const std::string midiOut = devices::MidiOutName(static_cast<std::uint32_t>(job.midiOutDevice));
    const std::string waveIn = devices::WaveInName(static_cast<std::uint32_t>(job.waveInDevice));
    if (midiOut.empty() || waveIn.empty()) return 0;
    return DelayOfPair(pairDelays, midiOut, waveIn).value_or(0) / 1e6;
}

// A driver that stops sending its notifications would keep the job recording for hours.
void StartWatchdog(HWND window) {
    const double seconds = StreamLengthSeconds(streamFills, static_cast<std::uint32_t>(runSong.division));
    const double ms = std::min(seconds * 1000 + kWatchdogGraceMs, static_cast<double>(USER_TIMER_MAXIMUM));
    SetTimer(window, kWatchdogTimer, static_cast<UINT>(ms), nullptr);
}

// The capture delivers: the music starts now, and the file begins on the frame that sounds the
// job's start tick.
void StartMusic(HWND window, const CaptureWait& wait) {
    const double calledMs = CaptureClockMs();
    const bool started = StartPlayback(window);
    // Its report's box saw the program close, which closed the stream and the capture.
    if (ProgramClosing()) return;
    if (!started) {
        AbandonCurrentJob(window, JobFailure::playbackFailed);
        return;
    }
    // The player may begin a little after the call, and its own count says when.
    const double startedMs = StreamStartedMs(calledMs);
    musicStarted = true;
    // The pair's measured delay: what the module sounds at the start tick reaches the capture then.
    jobDelaySeconds = PairDelaySeconds(CurrentJob());
    const auto rate = static_cast<std::uint32_t>(CurrentJob().sampleRate);
    if (wait.state == CaptureWaitState::delivering) {
        RecordCaptureFrom(StartTickFrame(wait, startedMs, leadInSeconds + jobDelaySeconds, rate));
    } else {
        // A device that cannot tell its position is recorded from its first frame.
        RecordCaptureFrom(FrameAfter(0, jobDelaySeconds, rate));
    }
    StartWatchdog(window);
    StartJobClock(window);
}

void OnCaptureWaitTimer(HWND window) {
    const CaptureWait wait = PollCaptureWait();
    if (wait.state == CaptureWaitState::waiting) return;
    KillTimer(window, kCaptureWaitTimer);
    if (wait.state == CaptureWaitState::nothingDelivered) {
        AbandonCurrentJob(window, JobFailure::nothingCaptured);
        return;
    }
    StartMusic(window, wait);
}

void OnPlaybackProgress(HWND window, StreamProgress progress) {
    if (progress == StreamProgress::ended) {
        KillTimer(window, kWatchdogTimer);
        StartTail(window);
    }
    if (progress == StreamProgress::failed) AbandonCurrentJob(window, JobFailure::feedFailed);
}

}  // namespace

void OnRecordCommand(HWND window) {
    // A delay measurement holds the devices and buffers a run would use.
    if (runStarted || checkingBeforeRun || MeasuringDelay()) return;
    // The questions walk the table: 読込 waits until they are answered, or it would add jobs
    // they never ask about, or clear the table under them.
    checkingBeforeRun = true;
    if (Link().holdLoadList != nullptr) Link().holdLoadList(true);
    const PreRunHost host = SystemHost();
    const bool checked = CheckTargetFiles(host) && CheckDevices(host) && CheckSameFiles(host) && CheckFreeSpace(host);
    checkingBeforeRun = false;
    // The questions' boxes may have seen the program close.
    if (!checked || ProgramClosing()) {
        if (Link().holdLoadList != nullptr) Link().holdLoadList(false);
        return;
    }
    runStarted = true;
    pairDelays = Link().startFolder != nullptr ? ReadPairDelays(DelaysPath(Link().startFolder)) : std::vector<PairDelay>{};
    EnableWindow(GetDlgItem(window, kRecordCommand), FALSE);
    if (Link().disableLoadList != nullptr) Link().disableLoadList();
    if (Link().holdLoadList != nullptr) Link().holdLoadList(false);
    if (jobCount == 0) ShowMessageBox(window, kEmptyStackText, kConfirmCaption, MB_OK);
    StartOrContinue(window);
}

void OnNextJobCommand(HWND window) {
    if (!runStarted || currentJob >= jobCount) return;
    int icon = kRecordedIcon;
    if (currentJobFailed) {
        icon = kNotRecordedIcon;
    } else if (LastRecordingNeedsCheck()) {
        icon = kCheckRecordingIcon;
    }
    SetRowIcon(currentJob, icon);
    currentJobFailed = false;
    ++currentJob;
    StartOrContinue(window);
}

void OnTailTimer(HWND window) {
    switch (tailPhase) {
        case 0:
            EndRecording();
            tailPhase = 1;
            break;
        case 1:
            tailPhase = 2;
            break;
        default:
            tailPhase = 0;
            // Killed first: a box the next job's start shows would otherwise let the timer tick
            // again inside this handler.
            KillTimer(window, kTailTimer);
            SendMessageA(window, WM_COMMAND, kNextJobCommand, 0);
            break;
    }
}

void OnRunTimer(HWND window, UINT_PTR timer) {
    switch (timer) {
        case kClockTimer: ShowJobClock(); break;
        case kCaptureWaitTimer: OnCaptureWaitTimer(window); break;
        case kWatchdogTimer:
            if (Playing()) AbandonCurrentJob(window, JobFailure::playbackStalled);
            KillTimer(window, kWatchdogTimer);
            break;
        default: OnTailTimer(window); break;
    }
}

void OnStreamPositionMessage(HWND window, LPARAM header) { OnPlaybackProgress(window, OnStreamPosition(header)); }

void OnStreamDoneMessage(HWND window) { OnPlaybackProgress(window, OnStreamBufferDone()); }

void OnCaptureDataMessage(HWND window, LPARAM header) {
    if (OnCaptureData(header) != CaptureProgress::stopped) return;
    // Before the music nothing was recorded: the job was not played, not broken off.
    AbandonCurrentJob(window, musicStarted ? JobFailure::captureStopped : JobFailure::captureLostBeforeMusic);
}

void StopRunOnExit() {
    SetProgramClosing(true);
    if (jobStackWindow != nullptr) {
        KillTimer(jobStackWindow, kClockTimer);
        KillJobTimers(jobStackWindow);
    }
    EndPlayback();
    StopCapture();
}

std::int32_t CurrentJobPosition() { return currentJob; }

void ResetRun() {
    StopRunOnExit();
    SetProgramClosing(false);
    currentJob = 0;
    tailPhase = 0;
    runStarted = false;
    checkingBeforeRun = false;
    runModeEntered = false;
    currentJobFailed = false;
    reportShown = false;
    recordedJobs.clear();
    pairDelays.clear();
    clockRunning = false;
}

}  // namespace solvena::engine
