// What a run asks of the system while nobody watches it: that the computer stays awake (the
// display may sleep), a 1 ms timer for the stream player's thread even when the windows are
// hidden or minimized, and the run's progress on the taskbar button, which flashes at the end.
// Every request may fail (older Windows, Wine): the run goes on the same, and only what was
// granted is given back.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <shobjidl.h>

namespace solvena::engine {

// The system calls behind the requests, replaceable by tests.
struct SystemCalls {
    EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE flags);
    MMRESULT(WINAPI* timeBeginPeriod)(UINT ms);
    MMRESULT(WINAPI* timeEndPeriod)(UINT ms);
    // SetProcessInformation's power throttling with these masks; false where the system lacks it.
    bool (*setPowerThrottling)(ULONG controlMask, ULONG stateMask);
    // The taskbar's interface on this thread, with COM for it; nullptr when there is none.
    ITaskbarList3* (*openTaskbar)();
    HRESULT (*setProgressState)(ITaskbarList3* taskbar, HWND window, TBPFLAG state);
    HRESULT (*setProgressValue)(ITaskbarList3* taskbar, HWND window, ULONGLONG done, ULONGLONG total);
    void (*closeTaskbar)(ITaskbarList3* taskbar);
    HWND(WINAPI* getForegroundWindow)();
    BOOL(WINAPI* flashWindowEx)(PFLASHWINFO info);
};

// nullptr brings back the system's own calls.
void SetSystemCalls(const SystemCalls* calls);

// Asks for a 1 ms timer that hidden and minimized windows keep.
constexpr ULONG kIgnoreTimerResolution = 0x4;

// The requests one run holds. Begin and End come in pairs on the user-interface thread; End
// gives back only what Begin was granted, once, and may be called again.
class RunSystemRequests {
public:
    // main: the window that owns the taskbar button; nullptr shows no progress.
    void Begin(HWND main);
    // done and total in any unit (thousandths of a job, say); nothing while the taskbar is not held.
    void ShowProgress(unsigned long long done, unsigned long long total) const;
    // flash: the run has finished, and the main window's button flashes unless the program is in front.
    void End(bool flash);

    struct Granted {
        bool awake = false;
        bool timer = false;
        bool throttling = false;
        bool taskbar = false;
    };
    Granted Held() const;

private:
    HWND main_ = nullptr;
    bool awake_ = false;
    bool timer_ = false;
    bool throttling_ = false;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace solvena::engine
