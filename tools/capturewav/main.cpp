// Records a WAVE IN device into a WAV file with the run's own capture code: how a real device
// is checked on a machine without sound hardware (a sound server's monitor under Wine), and how
// a person tries their capture device without stacking a job.
//
//   capturewav [--device=N|--device=NAME] [--seconds=S] [--rate=HZ] [--bits=B] [--channels=C] OUT.wav
//
// Lists the devices it sees, then records S seconds from the device's first delivered frame, and
// tells how long the device took to deliver it. Exit status 0 when the file holds all S seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/DeviceSeam.h"
#include "engine/win32/Capture.h"
#include "engine/win32/CaptureStart.h"
#include "engine/win32/Prompts.h"
#include "jobs/RecordingJob.h"

namespace {

using namespace solvena;

struct Request {
    std::string device = "0";
    double seconds = 2;
    int rate = 44100, bits = 16, channels = 2;
    std::string out;
};

bool Take(const char* arg, const char* name, std::string* value) {
    const std::size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0) return false;
    *value = arg + n;
    return true;
}

bool Parse(int argc, char** argv, Request& request) {
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (Take(argv[i], "--device=", &request.device)) continue;
        if (Take(argv[i], "--seconds=", &value)) request.seconds = std::atof(value.c_str());
        else if (Take(argv[i], "--rate=", &value)) request.rate = std::atoi(value.c_str());
        else if (Take(argv[i], "--bits=", &value)) request.bits = std::atoi(value.c_str());
        else if (Take(argv[i], "--channels=", &value)) request.channels = std::atoi(value.c_str());
        else if (argv[i][0] != '-' && request.out.empty()) request.out = argv[i];
        else return false;
    }
    return !request.out.empty() && request.seconds > 0;
}

// A number, or the first device whose name holds the text.
int FindDevice(const std::string& wanted) {
    const std::uint32_t count = devices::WaveInCount();
    for (std::uint32_t id = 0; id < count; ++id) {
        if (devices::WaveInName(id).find(wanted) != std::string::npos) return static_cast<int>(id);
    }
    char* end = nullptr;
    const long number = std::strtol(wanted.c_str(), &end, 10);
    return *end == '\0' && number >= 0 && static_cast<std::uint32_t>(number) < count ? static_cast<int>(number) : -1;
}

int PrintBox(HWND, const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "capturewav: [%s] %s\n", caption, text);
    return IDOK;
}

void PumpFor(DWORD ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

LRESULT CALLBACK CaptureWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == devices::kMmWimData) {
        engine::OnCaptureData(lParam);
        return 0;
    }
    if (message == engine::kShowDeferredMessages) {
        engine::ShowDeferredMessages();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    if (!Parse(argc, argv, request)) {
        std::fprintf(stderr, "usage: capturewav [--device=N|NAME] [--seconds=S] [--rate=HZ] [--bits=B] [--channels=C] OUT.wav\n");
        return 2;
    }
    for (std::uint32_t id = 0; id < devices::WaveInCount(); ++id) {
        std::printf("wavein %u: %s\n", id, devices::WaveInName(id).c_str());
    }
    const int device = FindDevice(request.device);
    if (device < 0) {
        std::fprintf(stderr, "capturewav: no WAVE IN device \"%s\"\n", request.device.c_str());
        return 1;
    }
    engine::SetMessageBoxFunction(PrintBox);
    WNDCLASSA description{};
    description.lpfnWndProc = CaptureWindow;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = "capturewav";
    RegisterClassA(&description);
    HWND window = CreateWindowA("capturewav", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, description.hInstance, nullptr);

    RecordingJob job;
    SetText(job.wavPath, request.out);
    job.waveInDevice = device;
    job.sampleRate = request.rate;
    job.bitsPerSample = request.bits;
    job.channels = request.channels;
    engine::OpenCapture(job, window);
    engine::CreateWavFile(job);
    // From the first frame the device delivers, the asked length and no more.
    const auto frames = static_cast<std::uint64_t>(request.seconds * request.rate + 0.5);
    engine::RecordCaptureFrom(0);
    engine::RecordCaptureUntil(frames);
    engine::StartCapture();
    engine::CaptureWaiter waiter;
    waiter.Begin(request.rate);
    engine::CaptureWait wait;
    while ((wait = waiter.Poll()).state == engine::CaptureWaitState::waiting) PumpFor(engine::kCaptureWaitPeriodMs);
    if (wait.state == engine::CaptureWaitState::nothingDelivered) {
        std::printf("wavein %d delivered nothing in %llu ms\n", device, static_cast<unsigned long long>(wait.waitedMs));
    } else if (wait.state == engine::CaptureWaitState::positionUnknown) {
        std::printf("wavein %d cannot tell its position\n", device);
    } else {
        std::printf("first frame %llu ms after the start\n", static_cast<unsigned long long>(wait.firstFrameMs));
    }
    // A device that stops delivering gets as long again as the recording itself.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(request.seconds * 2000) + 1000;
    const std::uint64_t wanted = frames * static_cast<std::uint64_t>(request.bits / 8 * request.channels);
    while (wait.state != engine::CaptureWaitState::nothingDelivered && engine::CaptureDeliveredFrames() < frames &&
           GetTickCount64() < end) {
        PumpFor(10);
    }
    std::uint32_t position = 0;
    const bool known = engine::CapturePosition(&position);
    const std::uint64_t delivered = engine::CaptureDeliveredFrames();
    engine::StopCapture();
    if (known) {
        std::printf("position %lu frames, %llu frames delivered\n", static_cast<unsigned long>(position),
                    static_cast<unsigned long long>(delivered));
    }
    std::printf("recorded %llu bytes from wavein %d into %s\n", static_cast<unsigned long long>(engine::CapturedBytes()),
                device, request.out.c_str());
    DestroyWindow(window);
    return engine::CapturedBytes() >= wanted ? 0 : 1;
}
