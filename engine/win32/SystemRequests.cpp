#include "engine/win32/SystemRequests.h"

#include <objbase.h>

#include <algorithm>

namespace solvena::engine {

namespace {

// SetProcessInformation's class and state for power throttling, as Windows 10 1709 and later take
// them; spelled out here because older headers lack them.
constexpr int kProcessPowerThrottling = 4;
constexpr ULONG kPowerThrottlingVersion = 1;
struct PowerThrottlingState {
    ULONG version;
    ULONG controlMask;
    ULONG stateMask;
};
using SetProcessInformationFunction = BOOL(WINAPI*)(HANDLE process, int what, LPVOID information, DWORD size);

// Looked up at run time: Windows 7 (and some Wine versions) have no such function, and a program
// that imported it would not start there.
bool SetPowerThrottling(ULONG controlMask, ULONG stateMask) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return false;
    const auto set = reinterpret_cast<SetProcessInformationFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessInformation")));
    if (set == nullptr) return false;
    PowerThrottlingState state{kPowerThrottlingVersion, controlMask, stateMask};
    return set(GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state) != FALSE;
}

// COM stays initialized on this thread while the interface is held; closing gives back both.
ITaskbarList3* OpenTaskbar() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return nullptr;
    ITaskbarList3* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                   reinterpret_cast<void**>(&taskbar)))) {
        if (SUCCEEDED(taskbar->HrInit())) return taskbar;
        taskbar->Release();
    }
    CoUninitialize();
    return nullptr;
}

HRESULT SetProgressState(ITaskbarList3* taskbar, HWND window, TBPFLAG state) {
    return taskbar->SetProgressState(window, state);
}

HRESULT SetProgressValue(ITaskbarList3* taskbar, HWND window, ULONGLONG done, ULONGLONG total) {
    return taskbar->SetProgressValue(window, done, total);
}

void CloseTaskbar(ITaskbarList3* taskbar) {
    taskbar->Release();
    CoUninitialize();
}

const SystemCalls& SystemOwnCalls() {
    static const SystemCalls own{SetThreadExecutionState, timeBeginPeriod, timeEndPeriod, SetPowerThrottling,
                                 OpenTaskbar, SetProgressState, SetProgressValue, CloseTaskbar,
                                 GetForegroundWindow, FlashWindowEx};
    return own;
}

SystemCalls calls = SystemOwnCalls();

// Any window of this process in front, its message boxes too: the user is looking at the program.
bool ProgramInFront(HWND foreground) {
    DWORD process = 0;
    return foreground != nullptr && GetWindowThreadProcessId(foreground, &process) != 0 &&
           process == GetCurrentProcessId();
}

}  // namespace

void SetSystemCalls(const SystemCalls* replacement) { calls = replacement != nullptr ? *replacement : SystemOwnCalls(); }

void RunSystemRequests::Begin(HWND main) {
    main_ = main;
    // The display may sleep; the computer may not.
    awake_ = calls.setThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    timer_ = calls.timeBeginPeriod(1) == TIMERR_NOERROR;
    throttling_ = calls.setPowerThrottling(kIgnoreTimerResolution, 0);
    // The run starts long after the main window appeared, so its taskbar button exists by now.
    if (main_ != nullptr) taskbar_ = calls.openTaskbar();
    if (taskbar_ != nullptr) calls.setProgressState(taskbar_, main_, TBPF_NORMAL);
}

void RunSystemRequests::ShowProgress(unsigned long long done, unsigned long long total) const {
    if (taskbar_ == nullptr || total == 0) return;
    calls.setProgressValue(taskbar_, main_, std::min(done, total), total);
}

void RunSystemRequests::End(bool flash) {
    if (taskbar_ != nullptr) {
        calls.setProgressState(taskbar_, main_, TBPF_NOPROGRESS);
        calls.closeTaskbar(taskbar_);
        taskbar_ = nullptr;
    }
    // Flashes until the user brings the program to the front.
    if (flash && main_ != nullptr && !ProgramInFront(calls.getForegroundWindow())) {
        FLASHWINFO info{sizeof info, main_, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
        calls.flashWindowEx(&info);
    }
    if (timer_) calls.timeEndPeriod(1);
    // Back to the system's own choice: between runs nothing needs a fine timer.
    if (throttling_) calls.setPowerThrottling(0, 0);
    if (awake_) calls.setThreadExecutionState(ES_CONTINUOUS);
    main_ = nullptr;
    awake_ = timer_ = throttling_ = false;
}

RunSystemRequests::Granted RunSystemRequests::Held() const {
    return {awake_, timer_, throttling_, taskbar_ != nullptr};
}

}  // namespace solvena::engine
