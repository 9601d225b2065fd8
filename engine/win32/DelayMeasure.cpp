#include "engine/win32/DelayMeasure.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/DelayTakes.h"
#include "engine/DeviceSeam.h"
#include "engine/JobStream.h"
#include "engine/PairDelays.h"
#include "engine/RecordingStart.h"
#include "engine/StreamMerge.h"
#include "engine/win32/Capture.h"
#include "engine/win32/CaptureStart.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/Playback.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/ReplaceFile.h"
#include "jobs/RecordingJob.h"
#include "song/EventPrimitives.h"
#include "song/SongLoader.h"

namespace solvena::engine {

namespace {

constexpr char kMeasureWindowClass[] = "solvena_delay_measure";
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT_PTR kTailTimer = 2;
constexpr UINT_PTR kLimitTimer = 3;
// After the stream's end, the last note's window still has to reach the file.
constexpr UINT kTailMs = 300;
// Beyond the capture's own wait and the take's notes: a driver that stops answering ends it here.
constexpr double kLimitMarginMs = 7000;

constexpr std::uint8_t kClickNote = 75;      // claves: short, with a sharp attack on every module
constexpr std::uint8_t kDrumChannel = 0x09;  // channel 10
constexpr std::uint32_t kNoteTicks = 60;

enum class Phase { waiting, playing, tail, done };

struct Session {
    CaptureWaiter waiter;
    Phase phase = Phase::done;
    bool recorded = false;
    double leadInSeconds = 0;
    std::uint32_t rate = 0;
};
Session session;
bool measuring = false;

void Append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendDelta(std::vector<std::uint8_t>& out, std::uint32_t delta) {
    std::uint8_t bytes[5];
    out.insert(out.end(), bytes, bytes + WriteVarLen(delta, bytes));
}

// One spacing of silence, then a loud note after each of the next spacings, then one more
// spacing for the last note's window.
std::vector<std::uint8_t> ClickSong(const TakePlan& plan) {
    std::vector<std::uint8_t> track;
    std::uint32_t at = 0;
    for (int k = 1; k <= plan.notes; ++k) {
        AppendDelta(track, k * plan.spacing - at);
        Append(track, {static_cast<std::uint8_t>(0x90 | kDrumChannel), kClickNote, 127});
        AppendDelta(track, kNoteTicks);
        Append(track, {static_cast<std::uint8_t>(0x80 | kDrumChannel), kClickNote, 0});
        at = k * plan.spacing + kNoteTicks;
    }
    AppendDelta(track, (plan.notes + 1) * plan.spacing - at);
    Append(track, {0xFF, 0x2F, 0x00});
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    Append(file, {kTakeDivision >> 8, kTakeDivision & 0xFF, 'M', 'T', 'r', 'k'});
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

void End(HWND window, bool recorded) {
    for (UINT_PTR timer : {kWaitTimer, kTailTimer, kLimitTimer}) KillTimer(window, timer);
    EndPlayback();
    StopCapture();
    session.recorded = recorded;
    session.phase = Phase::done;
}

void OnWaitTimer(HWND window) {
    const CaptureWait wait = session.waiter.Poll();
    if (wait.state == CaptureWaitState::waiting) return;
    KillTimer(window, kWaitTimer);
    // Without the device's position the notes cannot be placed in the take.
    if (wait.state != CaptureWaitState::delivering) return End(window, false);
    const double calledMs = CaptureClockMs();
    if (!StartPlayback(window)) return End(window, false);
    RecordCaptureFrom(StartTickFrame(wait, StreamStartedMs(calledMs), session.leadInSeconds, session.rate / 1000.0));
    session.phase = Phase::playing;
}

void OnProgress(HWND window, StreamProgress progress) {
    if (progress == StreamProgress::failed) return End(window, false);
    if (progress != StreamProgress::ended) return;
    session.phase = Phase::tail;
    SetTimer(window, kTailTimer, kTailMs, nullptr);
}

void OnTimer(HWND window, UINT_PTR timer) {
    switch (timer) {
        case kWaitTimer: OnWaitTimer(window); break;
        case kTailTimer: End(window, true); break;
        default: End(window, false); break;  // the limit
    }
}

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER: OnTimer(window, static_cast<UINT_PTR>(wParam)); return 0;
        case devices::kMmMomPositionCb: OnProgress(window, OnStreamPosition(lParam)); return 0;
        case devices::kMmMomDone: OnProgress(window, OnStreamBufferDone()); return 0;
        case devices::kMmWimData:
            if (OnCaptureData(lParam) == CaptureProgress::stopped && session.phase != Phase::done) End(window, false);
            return 0;
        case kShowDeferredMessages: ShowDeferredMessages(); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateMeasureWindow() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MeasureWndProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kMeasureWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    // Never shown, but a top-level window: it owns the device reports, and a box needs a real owner.
    return CreateWindowA(kMeasureWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

std::string TempWavPath() {
    char folder[MAX_PATH + 1] = {};
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "slv", 0, path) == 0) return {};
    return path;
}

// The sample bytes of the take: the data chunk of the file the capture wrote.
std::vector<std::uint8_t> ReadTake(const std::string& path) {
    std::vector<std::uint8_t> file;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    const DWORD size = GetFileSize(handle, nullptr);
    file.resize(size == INVALID_FILE_SIZE ? 0 : size);
    DWORD got = 0;
    const BOOL read = file.empty() || ReadFile(handle, file.data(), static_cast<DWORD>(file.size()), &got, nullptr);
    CloseHandle(handle);
    if (!read || got != file.size() || file.size() < 12) return {};
    auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(file[at]) | static_cast<std::uint32_t>(file[at + 1]) << 8 |
               static_cast<std::uint32_t>(file[at + 2]) << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
    };
    for (std::size_t at = 12; at + 8 <= file.size(); at += 8 + word(at + 4) + (word(at + 4) & 1)) {
        if (std::equal(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                       "data")) {
            const std::size_t length = std::min<std::size_t>(word(at + 4), file.size() - at - 8);
            return {file.begin() + static_cast<std::ptrdiff_t>(at) + 8,
                    file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length)};
        }
    }
    return {};
}

// Opens and starts everything as a job's start does; false (all closed again) when it cannot run.
bool StartSession(const RecordingJob& job, const Song& song, const TakePlan& plan, HWND window) {
    OpenCapture(job, window);
    if (CreateWavFile(job) != WavOpen::opened) {
        StopCapture();
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        return false;
    }
    const bool streamReady = OpenPlayback(job, song, window);
    if (!streamReady || !StartCapture()) {
        EndPlayback();
        StopCapture();
        return false;
    }
    session.waiter.Begin(static_cast<std::uint32_t>(job.sampleRate));
    SetTimer(window, kWaitTimer, kCaptureWaitPeriodMs, nullptr);
    const double limitMs = static_cast<double>(kCaptureWaitLimitMs) + TakeSeconds(plan) * 1000 + kLimitMarginMs;
    SetTimer(window, kLimitTimer, static_cast<UINT>(limitMs), nullptr);
    session.phase = Phase::waiting;
    return true;
}

// Runs the session's messages until it is done. A quit met on the way is passed on.
void RunSession(HWND window) {
    MSG message;
    while (session.phase != Phase::done) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            End(window, false);
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}


// Plays and records one take and finds its notes; nothing when it could not run.
std::optional<DelayMeasurement> MeasureTake(const DelayRequest& request, const TakePlan& plan) {
    RecordingJob job;
    job.midiOutDevice = static_cast<std::int32_t>(request.midiOut);
    job.waveInDevice = static_cast<std::int32_t>(request.waveIn);
    job.sampleRate = static_cast<std::int32_t>(request.rate);
    job.bitsPerSample = request.bitsPerSample;
    job.channels = request.channels;
    job.endTick = static_cast<std::int32_t>((plan.notes + 1) * plan.spacing);
    job.trackEnabled[0] = 1;
    const std::string wavPath = TempWavPath();
    if (wavPath.empty() || wavPath.size() >= job.wavPath.size()) return std::nullopt;
    SetText(job.wavPath, wavPath);

    // A table of its own: the song on the track page keeps its bytes.
    Song song;
    auto tracks = std::make_unique<TrackTable>();
    const JobStreamInfo stream = LoadSongFromBytes(ClickSong(plan), song, *tracks)
                                     ? BuildJobStream(song, *tracks, job.startTick, job.endTick, job.trackEnabled)
                                     : JobStreamInfo{};
    ReleaseTrackBuffers(*tracks);
    HWND window = stream.result == StreamBuildResult::built ? CreateMeasureWindow() : nullptr;
    if (window == nullptr) {
        ReleaseMergeBuffer();
        ReleaseStreamBuffers();
        DeleteFileA(wavPath.c_str());
        return std::nullopt;
    }
    session = Session{};
    session.rate = request.rate;
    session.leadInSeconds = StreamSecondsToTick(streamFills, kTakeDivision, stream.leadInTicks);

    if (StartSession(job, song, plan, window)) RunSession(window);
    ShowDeferredMessages();
    DestroyWindow(window);

    std::optional<DelayMeasurement> result;
    if (session.recorded) {
        std::vector<std::uint64_t> noteFrames;
        const double spacingSeconds = SpacingMs(plan) / 1000;
        for (int k = 1; k <= plan.notes; ++k) noteFrames.push_back(FrameAfter(0, spacingSeconds * k, request.rate));
        result = MeasureDelay(ReadTake(wavPath), TakeFormat{request.rate, request.bitsPerSample, request.channels},
                              noteFrames, plan.jitterAccepted);
    }
    DeleteFileA(wavPath.c_str());
    return result;
}

}  // namespace

std::optional<DelayMeasurement> MeasurePairDelay(const DelayRequest& request, HWND owner) {
    // Both top-level windows wait: 録音 would start a run on the same devices and buffers.
    const bool ownerWasEnabled = owner != nullptr && !EnableWindow(owner, FALSE);
    const bool stackWasEnabled = jobStackWindow != nullptr && !EnableWindow(jobStackWindow, FALSE);
    measuring = true;
    std::optional<DelayMeasurement> result = MeasureTake(request, kSteadyTake);
    if (result && result->verdict == DelayVerdict::unsteady) result = MeasureTake(request, JitterTake(*result));
    measuring = false;
    if (stackWasEnabled) EnableWindow(jobStackWindow, TRUE);
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    return result;
}

bool MeasuringDelay() { return measuring; }

bool KeepPairDelay(const std::string& path, std::uint32_t midiOut, std::uint32_t waveIn, std::uint32_t micros) {
    const PairDelay delay{devices::MidiOutName(midiOut), devices::WaveInName(waveIn), micros};
    if (delay.midiOut.empty() || delay.waveIn.empty() || !PairFitsALine(delay)) return false;
    // A file that is there but cannot be read is not replaced by one line.
    const std::optional<std::string> text = ReadDelaysText(path);
    if (!text) return false;
    return ReplaceFileWith(path, WithPairDelay(*text, delay));
}

}  // namespace solvena::engine
