// The loopback studio's clock, its device thread and the test hooks that look into it.
#include "loopback/seam/LoopbackStudio.h"

#include <algorithm>
#include <random>

#include "loopback/seam/Loopback.h"

namespace solvena::devices {

namespace {

constexpr DWORD kRoundMilliseconds = 1;

struct ClockBase {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER origin{};
    ClockBase() {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&origin);
    }
};

// One round: everything due by now is played, captured and notified.
void Round(Studio& studio) {
    const double now = std::min(StudioNow(), studio.renderFence.load());
    studio.synth.Apply(now);
    for (auto& [handle, open] : studio.captures) studio.AdvanceCapture(handle, *open, now);
    std::vector<StreamNotice> notices;
    for (auto& [handle, open] : studio.streams) {
        notices.clear();
        open->stream.Advance(now, notices);
        for (const StreamNotice& notice : notices) PostDeviceMessage(open->window, notice.message, handle, notice.header);
    }
    // Every started capture has written all frames before now, and one started later begins at
    // a later time, so nothing before now is rendered again.
    studio.synth.Prune(now);
}

void DeviceThread(Studio& studio) {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(studio.mutex);
            if (studio.stopping || (studio.streams.empty() && studio.captures.empty())) {
                studio.threadRunning = false;
                return;
            }
            Round(studio);
        }
        Sleep(kRoundMilliseconds);
    }
}

// Stops the device thread before the process's static objects go; the studio itself stays.
struct ThreadStopper {
    ~ThreadStopper() {
        Studio& studio = TheStudio();
        {
            std::lock_guard<std::mutex> lock(studio.mutex);
            studio.stopping = true;
        }
        if (studio.thread.joinable()) studio.thread.join();
    }
};

}  // namespace

double StudioNow() {
    static const ClockBase base;
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    // Counting from the first reading keeps the seconds small, and so their resolution fine.
    return static_cast<double>(counter.QuadPart - base.origin.QuadPart) / static_cast<double>(base.frequency.QuadPart);
}

std::uint32_t DrawMilliseconds(const DelayRange& delay) {
    if (!delay.given || delay.high <= delay.low) return delay.low;
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    return std::uniform_int_distribution<std::uint32_t>(delay.low, delay.high)(generator);
}

Studio& TheStudio() {
    static Studio* const studio = new Studio;
    return *studio;
}

void Studio::EnsureThread() {
    if (threadRunning || stopping) return;
    // Constructed before the first thread, so it is destroyed (and stops the thread) at exit.
    static ThreadStopper stopper;
    // A thread that ended itself has left the lock for good, so joining it here cannot block
    // on us.
    if (thread.joinable()) thread.join();
    threadRunning = true;
    thread = std::thread(DeviceThread, std::ref(*this));
}

void Studio::AdvanceCapture(std::uintptr_t handle, OpenCapture& open, double now) {
    std::vector<WaveHeader*> done;
    const std::uint64_t lost = open.capture.Advance(synth, now, done);
    lostSamples += lost;
    open.lost += lost;
    for (WaveHeader* header : done) PostDeviceMessage(open.window, kMmWimData, handle, header);
}

void ReportClosedCapture(const OpenCapture& open) {
    const std::string line = "wavein " + std::to_string(open.device) + " lost " + std::to_string(open.lost) + "\r\n";
    HANDLE file = CreateFileA((LoopbackExecutableFolder() + "loopback-report.txt").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

void PostDeviceMessage(HWND window, std::uint32_t message, std::uintptr_t handle, const void* header) {
    // Posted under the studio lock, so notifications of one device keep their order whichever
    // thread sends them. A window that is gone just does not get them.
    if (window) PostMessageA(window, message, static_cast<WPARAM>(handle), reinterpret_cast<LPARAM>(header));
}

void LoopbackCloseAll() {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    const double now = StudioNow();
    for (auto& [handle, open] : studio.streams) open->stream.Close(now, studio.synth);
    std::vector<WaveHeader*> done;
    for (auto& [handle, open] : studio.captures) open->capture.Reset(done);
    studio.streams.clear();
    studio.captures.clear();
}

double LoopbackClockSeconds() { return StudioNow(); }

std::vector<LoopbackPlayedMessage> LoopbackTakePlayedMessages() {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    studio.synth.Apply(StudioNow());
    std::vector<LoopbackPlayedMessage> taken;
    for (const PlayedMessage& played : studio.synth.TakePlayed()) {
        taken.push_back(LoopbackPlayedMessage{played.time, played.message});
    }
    return taken;
}

double LoopbackLastCaptureStart() {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    return studio.lastCaptureStart;
}

std::uint64_t LoopbackLostSamples() {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    return studio.lostSamples;
}

void LoopbackResetLostSamples() {
    Studio& studio = TheStudio();
    std::lock_guard<std::mutex> lock(studio.mutex);
    studio.lostSamples = 0;
}

}  // namespace solvena::devices
