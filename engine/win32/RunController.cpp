#include "engine/win32/RunController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "engine/BroadcastWave.h"
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
#include "engine/win32/RunState.h"
#include "engine/win32/WavFile.h"
#include "jobs/RecordingJob.h"
#include "song/SongLoader.h"
#include "song/SongState.h"
#include "song/SongTimeline.h"

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

const MainWindowLink& Link() { return CurrentMainWindowLink(); }

void SetProgress(const std::string& text) {
    if (Link().setProgressText != nullptr) Link().setProgressText(text.c_str());
}

RecordingJob& CurrentJob(const RunState& run) { return jobs[static_cast<std::size_t>(run.currentJob)]; }

// ---- the pre-run checks on this system ----

FileState FileStateOf(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::missing;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? FileState::readOnly : FileState::writable;
}

bool AskYesNo(const std::string& text, const char* caption) {
    return ShowMessageBox(jobStackWindow, text.c_str(), caption, MB_YESNO) == IDYES;
}

bool OverwriteUnattended() { return JobStackRun().overwriteExisting; }

PreRunHost SystemHost(const RunState& run) {
    PreRunHost host;
    if (run.unattended) host.overwrite = OverwriteUnattended;
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

// The taskbar button: the switched-on jobs before the current one and how far it is, of all the
// switched-on jobs.
void ShowRunProgress(const RunState& run, int permille) {
    const std::span<const RecordingJob> stacked = StackedJobs();
    const auto on = [](const RecordingJob& job) { return job.enabled == 1; };
    const std::size_t current = std::min(static_cast<std::size_t>(std::max(run.currentJob, 0)), stacked.size());
    const auto done = static_cast<unsigned long long>(std::count_if(stacked.begin(), stacked.begin() + current, on));
    const auto total = static_cast<unsigned long long>(std::count_if(stacked.begin(), stacked.end(), on));
    run.systemRequests.ShowProgress(done * 1000 + static_cast<unsigned long long>(permille), total * 1000);
}

std::uint64_t ElapsedMs(const RunState& run) {
    const ULONGLONG until = run.clockRunning ? GetTickCount64() : run.clockStoppedMs;
    return until > run.clockStartMs ? until - run.clockStartMs : 0;
}

void ShowJobClock(const RunState& run) {
    if (Link().setJobLevel != nullptr) Link().setJobLevel(InputLevelText(WavLevels()).c_str());
    const std::uint64_t elapsed = ElapsedMs(run);
    const int permille = JobProgressPermille(elapsed, run.expectedMs);
    ShowRunProgress(run, permille);
    if (Link().setJobProgress == nullptr) return;
    Link().setJobProgress(RunTimeText(elapsed / 1000, run.expectedMs / 1000).c_str(), permille);
}

void StartJobClock(RunState& run, HWND window) {
    const std::int32_t seconds = CurrentJob(run).expectedSeconds;
    run.expectedMs = seconds > 0 ? static_cast<std::uint64_t>(seconds) * 1000 : 0;
    run.clockStartMs = GetTickCount64();
    run.clockRunning = true;
    ShowJobClock(run);
    SetTimer(window, kClockTimer, kClockPeriodMs, nullptr);
}

// The WAVE IN device's clock as the run last measured it at this rate; 0 when it was not.
double RememberedPpm(const RunState& run, const std::string& waveIn, std::uint32_t rate) {
    for (const DeviceClockRate& known : run.deviceRates) {
        if (known.waveIn == waveIn && known.rate == rate) return known.ppm;
    }
    return 0;
}

void RememberPpm(RunState& run, const std::string& waveIn, std::uint32_t rate, double ppm) {
    if (waveIn.empty()) return;
    for (DeviceClockRate& known : run.deviceRates) {
        if (known.waveIn == waveIn && known.rate == rate) {
            known.ppm = ppm;
            return;
        }
    }
    run.deviceRates.push_back({waveIn, rate, ppm});
}

// The capture has stopped: the clock stands, and what the file holds is kept for the report.
void EndRecording(RunState& run, std::optional<JobFailure> brokeOff = std::nullopt) {
    KillTimer(jobStackWindow, kClockLookTimer);
    RecordedJob recorded;
    // The last looks, and the gaps they close, before the capture's last frames are written.
    if (run.captureClock.rate > 0 && Capturing()) {
        recorded.clock = EndCaptureClock(run.captureClock);
        recorded.captureGaps = run.captureClock.gaps;
    }
    StopCapture();
    if (run.clockRunning) {
        run.clockStoppedMs = GetTickCount64();
        run.clockRunning = false;
        ShowJobClock(run);
    }
    const RecordingJob& job = CurrentJob(run);
    if (recorded.clock.measured && run.captureClock.follower.PpmError() < kRememberedPpmError) {
        RememberPpm(run, devices::WaveInName(static_cast<std::uint32_t>(job.waveInDevice)),
                    static_cast<std::uint32_t>(job.sampleRate), recorded.clock.ppm);
    }
    recorded.clock.seconds = CapturedExactSeconds();
    recorded.position = run.currentJob;
    recorded.wavPath = TextOf(job.wavPath);
    recorded.levels = WavLevels();
    recorded.seconds = CapturedSeconds();
    recorded.cut = WavFileCut();
    recorded.writeFailed = WavWriteFailed();
    recorded.gaps = CaptureHadGaps();
    recorded.brokeOff = brokeOff;
    run.recordedJobs.push_back(recorded);
    SetRowLevelText(run.currentJob, LevelCellText(recorded.levels));
}

bool LastRecordingNeedsCheck(const RunState& run) {
    return !run.recordedJobs.empty() && run.recordedJobs.back().position == run.currentJob &&
           NeedsCheck(run.recordedJobs.back());
}

// The current job's file is complete: it was recorded and did not break off.
bool RecordedToTheEnd(const RunState& run) {
    return !run.currentJobFailed && !run.recordedJobs.empty() && run.recordedJobs.back().position == run.currentJob &&
           !run.recordedJobs.back().brokeOff;
}

std::vector<std::int32_t> SwitchedOnPositions() {
    std::vector<std::int32_t> positions;
    for (std::int32_t i = 0; i < jobCount; ++i) {
        if (jobs[static_cast<std::size_t>(i)].enabled == 1) positions.push_back(i);
    }
    return positions;
}

void KillJobTimers(HWND window) {
    for (UINT_PTR timer : {kCaptureWaitTimer, kWatchdogTimer, kTailTimer, kClockLookTimer}) KillTimer(window, timer);
}

// ---- one job ----

void Finish(RunState& run) {
    KillTimer(jobStackWindow, kClockTimer);
    run.journal.End();
    SetProgress(kRunFinishedText);
    if (Link().setCancelText != nullptr) Link().setCancelText(kCloseText);
    // Given back before the report, whose box may wait for hours.
    run.systemRequests.End(true);
    if (run.reportShown) return;
    run.reportShown = true;
    const std::string report = RunReportText(run.recordedJobs, jobCount);
    if (!report.empty()) ShowMessageBox(jobStackWindow, report.c_str(), kRunReportCaption, MB_OK | MB_ICONWARNING);
    if (Link().runFinished != nullptr) Link().runFinished();
}

// The failure text of the current job, ending with whether the run goes on after it.
std::string CurrentJobFailureText(const RunState& run, JobFailure failure, std::uint64_t seconds = 0) {
    const RecordingJob& job = CurrentJob(run);
    return JobFailureText(failure, run.currentJob, jobCount, AfterFailureAt(StackedJobs(), run.currentJob),
                          TextOf(job.midiPath), TextOf(job.wavPath), seconds);
}

void TellJobFailed(const RunState& run, JobFailure failure) {
    ShowMessageBox(jobStackWindow, CurrentJobFailureText(run, failure).c_str(), kErrorCaption, MB_OK);
}

// A job that cannot start: its row says so and the run goes on with the next one.
void SkipFailedJob(RunState& run, JobFailure failure) {
    SetRowIcon(run.currentJob, kNotRecordedIcon);
    TellJobFailed(run, failure);
    ++run.currentJob;
}

bool FirstSwitchedOnFromCurrent(RunState& run) {
    while (run.currentJob < jobCount && CurrentJob(run).enabled != 1) ++run.currentJob;
    return run.currentJob < jobCount;
}

// Where the job's file belongs in its song, read from the song just loaded: the start tick's time
// and the markers after it.
WavMarks MarksOf(const RunState& run, const RecordingJob& job, std::uint32_t rate) {
    const SongTimeline timeline = ReadSongTimeline(runSong, tracks);
    const auto startTick = static_cast<std::uint32_t>(job.startTick);
    WavMarks marks;
    marks.bext.description = JobDescription(TextOf(job.midiPath), timeline, startTick,
                                            static_cast<std::uint32_t>(job.endTick), job.trackEnabled, runSong.trackCount);
    marks.bext.timeReference = FramesToTick(timeline, startTick, rate);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    marks.bext.date = text;
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    marks.bext.time = text;
    // Unique per file: the moment to the millisecond, the job's position and the fine clock's low bits.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::snprintf(text, sizeof text, "SLV%04u%02u%02u%02u%02u%02u%03u-%02X-%08lX", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, static_cast<unsigned>(run.currentJob & 0xFF),
                  static_cast<unsigned long>(counter.QuadPart & 0xFFFFFFFF));
    marks.bext.originatorReference = text;
    marks.cues = CuePointsOf(timeline, startTick, rate, UINT64_MAX);
    return marks;
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

JobStart StartJob(RunState& run, HWND window) {
    RecordingJob& job = CurrentJob(run);
    const std::string midiPath = TextOf(job.midiPath);
    if (!LoadSong(midiPath.c_str(), runSong, tracks)) {
        SkipFailedJob(run, JobFailure::songUnreadable);
        return JobStart::skipped;
    }
    SetProgress(ProgressText(run.currentJob, jobCount));
    ShowRunProgress(run, 0);
    if (!run.runModeEntered) {
        run.runModeEntered = true;
        if (Link().enterRunMode != nullptr) Link().enterRunMode();
    }
    SetRowIcon(run.currentJob, kRecordingIcon);

    const JobStreamInfo stream = BuildJobStream(runSong, tracks, job.startTick, job.endTick, job.trackEnabled);
    if (stream.result != StreamBuildResult::built) {
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        SkipFailedJob(run, stream.result == StreamBuildResult::empty ? JobFailure::nothingToPlay
                                                                     : JobFailure::streamTooLong);
        return JobStart::skipped;
    }
    run.currentJobFailed = false;
    run.musicStarted = false;
    run.jobDelaySeconds = 0;
    const auto division = static_cast<std::uint32_t>(runSong.division);
    run.leadInSeconds = StreamSecondsToTick(streamFills, division, stream.leadInTicks);
    // The device's clock as the last job on it measured it: the music starts on it.
    const auto rate = static_cast<std::uint32_t>(job.sampleRate);
    BeginCaptureClock(run.captureClock, rate,
                      RememberedPpm(run, devices::WaveInName(static_cast<std::uint32_t>(job.waveInDevice)), rate));
    run.captureClock.lock.Load(streamFills, division, 1 / (1 + run.captureClock.startPpm / 1e6));
    OpenCapture(job, window);
    if (ProgramClosing()) return StopStartForExit();
    // Playing a job whose recording has nowhere to go would only look like success.
    if (const WavOpen file = CreateWavFile(job, MarksOf(run, job, rate)); file != WavOpen::opened) {
        StopCapture();
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        SkipFailedJob(run, file == WavOpen::headerFailed ? JobFailure::wavHeaderFailed : JobFailure::wavNotCreated);
        return JobStart::skipped;
    }
    // The stream waits, paused and loaded, while the capture starts: the music begins only once
    // the device delivers, and then with one call.
    const bool streamReady = OpenPlayback(job, runSong, window, &run.captureClock.lock);
    if (ProgramClosing()) return StopStartForExit();
    const bool captureStarted = StartCapture();
    if (ProgramClosing()) return StopStartForExit();
    if (!streamReady || !captureStarted) {
        // A stream that did not load is not started: it would play its first records to the
        // synthesizer, or report its failed open a second time.
        EndPlayback();
        StopCapture();
        if (ProgramClosing()) return StopStartForExit();
        SkipFailedJob(run, streamReady ? JobFailure::captureNotStarted : JobFailure::playbackFailed);
        return JobStart::skipped;
    }
    run.captureWait.Begin(rate, &run.captureClock.follower);
    SetTimer(window, kCaptureWaitTimer, kCaptureWaitPeriodMs, nullptr);
    return JobStart::recording;
}

// From the current position on: the first switched-on job that can be started, or the finish.
// A job skipped with a box may have seen the program close in it: then the run stops there.
void StartOrContinue(RunState& run, HWND window) {
    for (;;) {
        ReleaseTrackBuffers(tracks);
        runSong = Song{};
        if (ProgramClosing()) return;
        if (!FirstSwitchedOnFromCurrent(run)) {
            Finish(run);
            return;
        }
        if (StartJob(run, window) != JobStart::skipped) return;
    }
}

void StartTail(RunState& run, HWND window) {
    std::int32_t seconds = CurrentJob(run).reverbSeconds;
    if (seconds < 0) seconds = 0;
    if (seconds > kMaxReverbSeconds - 1) seconds = kMaxReverbSeconds - 1;
    run.tailPhase = 0;
    // What the module sounds at the end reaches the capture the pair's delay later.
    const auto delayMs = static_cast<UINT>(std::ceil(run.jobDelaySeconds * 1000));
    SetTimer(window, kTailTimer, static_cast<UINT>(seconds) * 1000u + delayMs, nullptr);
}

// A job that ends after its start: the WAV file is completed with what was recorded and the run
// moves on. A recording that broke off is kept, reported and marked for a check; one that
// never began is marked as not recorded.
void AbandonCurrentJob(RunState& run, HWND window, JobFailure failure) {
    KillJobTimers(window);
    EndPlayback();
    if (BrokeOffRecording(failure)) {
        EndRecording(run, failure);
    } else {
        StopCapture();
        run.currentJobFailed = true;
    }
    DeferMessage(window, CurrentJobFailureText(run, failure, CapturedSeconds()), kErrorCaption);
    PostMessageA(window, WM_COMMAND, kNextJobCommand, 0);
}

// The delay measured for the job's pair of devices, in seconds; 0 when it was never measured.
double PairDelaySeconds(const RunState& run, const RecordingJob& job) {
    const std::string midiOut = devices::MidiOutName(static_cast<std::uint32_t>(job.midiOutDevice));
    const std::string waveIn = devices::WaveInName(static_cast<std::uint32_t>(job.waveInDevice));
    if (midiOut.empty() || waveIn.empty()) return 0;
    return DelayOfPair(run.pairDelays, midiOut, waveIn).value_or(0) / 1e6;
}

// A driver that stops sending its notifications would keep the job recording for hours.
void StartWatchdog(RunState& run, HWND window) {
    const double seconds = StreamLengthSeconds(streamFills, static_cast<std::uint32_t>(runSong.division)) *
                           run.captureClock.lock.Scale();
    const double ms = std::min(seconds * 1000 + kWatchdogGraceMs, static_cast<double>(USER_TIMER_MAXIMUM));
    SetTimer(window, kWatchdogTimer, static_cast<UINT>(ms), nullptr);
}

// The capture delivers: the music starts now, and the file begins on the frame that sounds the
// job's start tick.
void StartMusic(RunState& run, HWND window, const CaptureWait& wait) {
    const double calledMs = CaptureClockMs();
    const bool started = StartPlayback(window);
    // Its report's box saw the program close, which closed the stream and the capture.
    if (ProgramClosing()) return;
    if (!started) {
        AbandonCurrentJob(run, window, JobFailure::playbackFailed);
        return;
    }
    // The player may begin a little after the call, and its own count says when.
    const double startedMs = StreamStartedMs(calledMs);
    run.musicStarted = true;
    // The pair's measured delay: what the module sounds at the start tick reaches the capture then.
    run.jobDelaySeconds = PairDelaySeconds(run, CurrentJob(run));
    CaptureClock& clock = run.captureClock;
    const double framesPerMs = KnownFramesPerMs(clock);
    // The lead-in plays at the lock's starting scale.
    const double leadInMs = run.leadInSeconds * 1000;
    const double secondsIn = run.leadInSeconds * clock.lock.Scale() + run.jobDelaySeconds;
    if (wait.state == CaptureWaitState::delivering) {
        clock.firstFrame = StartTickFrame(wait, startedMs, secondsIn, framesPerMs);
        clock.placed = true;
        clock.lock.Started(startedMs, FilePlacement{wait.anchorMs, static_cast<double>(wait.anchor),
                                                    static_cast<double>(clock.firstFrame), run.jobDelaySeconds * 1000,
                                                    leadInMs, clock.rate});
        StartLookingAtCapture(clock, window);
    } else {
        // A device that cannot tell its position is recorded from its first frame.
        clock.firstFrame = FrameAfter(0, run.jobDelaySeconds, clock.rate);
    }
    RecordCaptureFrom(clock.firstFrame);
    StartWatchdog(run, window);
    StartJobClock(run, window);
}

void OnCaptureWaitTimer(RunState& run, HWND window) {
    const CaptureWait wait = run.captureWait.Poll();
    if (wait.state == CaptureWaitState::waiting) return;
    KillTimer(window, kCaptureWaitTimer);
    if (wait.state == CaptureWaitState::nothingDelivered) {
        AbandonCurrentJob(run, window, JobFailure::nothingCaptured);
        return;
    }
    StartMusic(run, window, wait);
}

void OnPlaybackProgress(RunState& run, HWND window, StreamProgress progress) {
    if (progress == StreamProgress::ended) {
        KillTimer(window, kWatchdogTimer);
        StartTail(run, window);
    }
    if (progress == StreamProgress::failed) AbandonCurrentJob(run, window, JobFailure::feedFailed);
}

}  // namespace

void OnRecordCommand(HWND window, RunState& run) {
    // A delay measurement holds the devices and buffers a run would use.
    if (run.runStarted || run.checkingBeforeRun || MeasuringDelay()) return;
    // The questions walk the table: 読込 waits until they are answered, or it would add jobs
    // they never ask about, or clear the table under them.
    run.checkingBeforeRun = true;
    if (Link().holdLoadList != nullptr) Link().holdLoadList(true);
    const PreRunHost host = SystemHost(run);
    const bool checked = CheckTargetFiles(host) && CheckDevices(host) && CheckSameFiles(host) && CheckFreeSpace(host);
    run.checkingBeforeRun = false;
    // The questions' boxes may have seen the program close.
    if (!checked || ProgramClosing()) {
        if (Link().holdLoadList != nullptr) Link().holdLoadList(false);
        return;
    }
    run.runStarted = true;
    if (!run.unattended && Link().startFolder != nullptr) run.journal.Begin(Link().startFolder, SwitchedOnPositions());
    run.systemRequests.Begin(Link().mainWindow != nullptr ? Link().mainWindow() : nullptr);
    run.pairDelays =
        Link().startFolder != nullptr ? ReadPairDelays(DelaysPath(Link().startFolder)) : std::vector<PairDelay>{};
    EnableWindow(GetDlgItem(window, kRecordCommand), FALSE);
    if (Link().disableLoadList != nullptr) Link().disableLoadList();
    if (Link().holdLoadList != nullptr) Link().holdLoadList(false);
    if (jobCount == 0) ShowMessageBox(window, kEmptyStackText, kConfirmCaption, MB_OK);
    StartOrContinue(run, window);
}

void OnNextJobCommand(HWND window, RunState& run) {
    if (!run.runStarted || run.currentJob >= jobCount) return;
    int icon = kRecordedIcon;
    if (run.currentJobFailed) {
        icon = kNotRecordedIcon;
    } else if (LastRecordingNeedsCheck(run)) {
        icon = kCheckRecordingIcon;
    }
    if (RecordedToTheEnd(run)) run.journal.Finished(run.currentJob);
    SetRowIcon(run.currentJob, icon);
    run.currentJobFailed = false;
    ++run.currentJob;
    StartOrContinue(run, window);
}

void OnTailTimer(HWND window, RunState& run) {
    switch (run.tailPhase) {
        case 0:
            EndRecording(run);
            run.tailPhase = 1;
            break;
        case 1:
            run.tailPhase = 2;
            break;
        default:
            run.tailPhase = 0;
            // Killed first: a box the next job's start shows would otherwise let the timer tick
            // again inside this handler.
            KillTimer(window, kTailTimer);
            SendMessageA(window, WM_COMMAND, kNextJobCommand, 0);
            break;
    }
}

void OnRunTimer(HWND window, RunState& run, UINT_PTR timer) {
    switch (timer) {
        case kClockTimer: ShowJobClock(run); break;
        case kCaptureWaitTimer: OnCaptureWaitTimer(run, window); break;
        case kClockLookTimer: LookAtCapture(run.captureClock, window); break;
        case kWatchdogTimer:
            if (Playing()) AbandonCurrentJob(run, window, JobFailure::playbackStalled);
            KillTimer(window, kWatchdogTimer);
            break;
        default: OnTailTimer(window, run); break;
    }
}

void OnStreamPositionMessage(HWND window, RunState& run, LPARAM header) {
    OnPlaybackProgress(run, window, OnStreamPosition(header));
}

void OnStreamDoneMessage(HWND window, RunState& run) { OnPlaybackProgress(run, window, OnStreamBufferDone()); }

void OnCaptureDataMessage(HWND window, RunState& run, LPARAM header) {
    if (OnCaptureData(header) != CaptureProgress::stopped) return;
    // Before the music nothing was recorded: the job was not played, not broken off.
    AbandonCurrentJob(run, window, run.musicStarted ? JobFailure::captureStopped : JobFailure::captureLostBeforeMusic);
}

void StopRunOnExit() {
    SetProgramClosing(true);
    JobStackRun().journal.End();
    if (jobStackWindow != nullptr) {
        KillTimer(jobStackWindow, kClockTimer);
        KillJobTimers(jobStackWindow);
    }
    EndPlayback();
    StopCapture();
    JobStackRun().systemRequests.End(false);
}

void KeepRunJournalForSessionEnd() { JobStackRun().journal.Leave(); }

std::int32_t CurrentJobPosition() { return JobStackRun().currentJob; }

void ResetRun() {
    StopRunOnExit();
    SetProgramClosing(false);
    JobStackRun() = RunState{};
}

}  // namespace solvena::engine
