#include "ProgramRun.h"

#include <cstdio>
#include <vector>

#include "Options.h"
#include "Query.h"

namespace uidriver {

namespace {

constexpr DWORD kStartTimeoutMs = 15000;

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// Files only: a run folder holds the program and what it reads.
void RemoveFolderContents(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string LastError(const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "%s failed (error %lu)", what, static_cast<unsigned long>(GetLastError()));
    return text;
}

// Gives the copy a manifest that asks for nothing, so it starts as a program without one (no
// visual styles, the system's code page). Wine's UpdateResource cannot delete a resource, but
// replaces one.
bool BareManifest(const std::string& path) {
    static char bare[] = R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"/>)";
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    bool replaced = update != nullptr && UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1), 0,
                                                         bare, sizeof bare - 1);
    return update != nullptr && EndUpdateResourceA(update, !replaced) && replaced;
}

}  // namespace

ProgramRun::~ProgramRun() { Stop(); }

bool ProgramRun::Start(const std::string& name, const ProgramSetup& setup, const std::string& exeName,
                       std::string* error) {
    Stop();  // an earlier run of this object
    const Options& options = CurrentOptions();
    folder_ = options.runsFolder + "\\" + name;
    CreateDirectoryA(folder_.c_str(), nullptr);
    // Whatever an earlier run left here must not count for this one.
    RemoveFolderContents(folder_);
    const std::string program = setup.product ? ProductExe() : options.programExe;
    const std::string defaultName = setup.product ? "solvena.exe" : "solvena-loopback.exe";
    std::string exe = folder_ + "\\" + (exeName.empty() ? defaultName : exeName);
    if (!CopyFileA(program.c_str(), exe.c_str(), FALSE)) {
        *error = LastError("copying the program");
        return false;
    }
    if (setup.withoutManifest && !BareManifest(exe)) {
        *error = LastError("replacing the copy's manifest");
        return false;
    }
    // The names file the build installs beside the program goes with it.
    const std::size_t programFolderEnd = options.programExe.find_last_of('\\');
    if (programFolderEnd != std::string::npos) {
        CopyFileA((options.programExe.substr(0, programFolderEnd + 1) + "instruments.ini").c_str(),
                  (folder_ + "\\instruments.ini").c_str(), FALSE);
    }
    if ((setup.generalIni && !WriteFileBytes(folder_ + "\\general.ini", *setup.generalIni)) ||
        (setup.loopbackDevices && !WriteFileBytes(folder_ + "\\loopback-devices.txt", *setup.loopbackDevices))) {
        *error = "writing the files beside the program failed";
        return false;
    }

    // The working folder is the parent: the program must find its files beside itself, not here.
    exe_ = exe;
    arguments_ = setup.arguments;
    return Launch(exe, options.runsFolder, setup.arguments, error);
}

bool ProgramRun::Restart(std::string* error) {
    Stop();
    return Launch(exe_, CurrentOptions().runsFolder, arguments_, error);
}

bool ProgramRun::StartInPlace(const std::string& exe, const std::string& workingFolder, std::string* error) {
    folder_ = exe.substr(0, exe.find_last_of('\\'));
    return Launch(exe, workingFolder, {}, error);
}

bool ProgramRun::Launch(const std::string& exe, const std::string& workingFolder,
                        const std::vector<std::string>& arguments, std::string* error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = "\"" + exe + "\"";
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &info_)) {
        info_ = {};
        *error = LastError("starting the program");
        return false;
    }
    bool shown = WaitUntil(
        [&] {
            std::vector<HWND> windows = TopLevelWindows(info_.dwProcessId, "mainexe", true);
            main_ = windows.empty() ? nullptr : windows.front();
            return main_ != nullptr || !Running();
        },
        kStartTimeoutMs);
    if (!shown || !main_) {
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        *error = Running() ? "the main window did not appear"
                           : "the program ended before showing its main window, exit code " + std::to_string(code);
        return false;
    }
    Settle(main_);
    std::vector<HWND> lists = TopLevelWindows(info_.dwProcessId, "ListWindow", false);
    jobStack_ = lists.empty() ? nullptr : lists.front();
    return true;
}

bool ProgramRun::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramRun::CloseMainWindow(DWORD timeoutMs, DWORD* exitCode) {
    if (!PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0)) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    if (exitCode) *exitCode = code;
    return true;
}

void ProgramRun::Stop() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
}

}  // namespace uidriver
