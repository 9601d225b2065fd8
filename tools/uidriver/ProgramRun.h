// One run of the program: a fresh folder with a copy of the executable and the files it reads
// beside itself (or an executable started where it lies), the started process and its two
// top-level windows. The process never outlives the object.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace uidriver {

struct ProgramSetup {
    std::optional<std::string> generalIni;       // bytes of general.ini; no file without them
    std::optional<std::string> loopbackDevices;  // bytes of loopback-devices.txt; likewise
    bool product = false;  // the product build (real devices) instead of the loopback build
    // The copy's application manifest replaced by one that asks for nothing: no visual styles,
    // the system's code page.
    bool withoutManifest = false;
    // The command line after the program's name, each argument quoted (none may end in "\").
    std::vector<std::string> arguments{};
};

class ProgramRun {
public:
    ProgramRun() = default;
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Prepares <runs folder>\<name>, starts the copy there (named `exeName`, or as the original
    // when empty) and waits until its main window is shown and start-up has finished. On failure
    // `error` says why.
    bool Start(const std::string& name, const ProgramSetup& setup, const std::string& exeName, std::string* error);
    // Starts `exe` where it lies, with nothing copied or written beside it, and waits as Start does.
    bool StartInPlace(const std::string& exe, const std::string& workingFolder, std::string* error);
    // Starts the copy Start made once more, with whatever the last one left beside it (the last
    // one ended first, if it still runs).
    bool Restart(std::string* error);

    HANDLE process() const { return info_.hProcess; }
    HANDLE thread() const { return info_.hThread; }  // its first thread: the user-interface thread
    DWORD processId() const { return info_.dwProcessId; }
    HWND mainWindow() const { return main_; }
    HWND jobStackWindow() const { return jobStack_; }
    const std::string& folder() const { return folder_; }

    bool Running() const;
    // Presses the main window's close box (SC_CLOSE, posted); true when the process ended within
    // `timeoutMs`, with its exit code.
    bool CloseMainWindow(DWORD timeoutMs, DWORD* exitCode);

private:
    bool Launch(const std::string& exe, const std::string& workingFolder, const std::vector<std::string>& arguments,
                std::string* error);
    void Stop();

    PROCESS_INFORMATION info_{};
    HWND main_ = nullptr;
    HWND jobStack_ = nullptr;
    std::string folder_;
    std::string exe_;
    std::vector<std::string> arguments_;
};

}  // namespace uidriver
