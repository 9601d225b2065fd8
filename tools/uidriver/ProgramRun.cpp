#include "ProgramRun.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
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

std::uint32_t Read32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::uint16_t Read16(const std::vector<char>& bytes, std::size_t at) { return static_cast<std::uint16_t>(Read32(bytes, at)); }

// The file offset of the resource directory's list of types in a PE file, or 0.
std::size_t ResourceRoot(const std::vector<char>& exe) {
    const std::size_t pe = Read32(exe, 0x3C);
    if (Read32(exe, pe) != 0x00004550) return 0;  // "PE\0\0"
    const std::size_t optional = pe + 24;
    const std::size_t directories = optional + (Read16(exe, optional) == 0x20B ? 112 : 96);
    const std::uint32_t rva = Read32(exe, directories + 2 * 8);  // entry 2: the resources
    for (std::size_t i = 0; i < Read16(exe, pe + 6); ++i) {
        const std::size_t section = optional + Read16(exe, pe + 20) + 40 * i;
        const std::uint32_t address = Read32(exe, section + 12);
        if (rva >= address && rva < address + Read32(exe, section + 16)) return Read32(exe, section + 20) + rva - address;
    }
    return 0;
}

// Gives the copy's manifest (resource type 24) a type number the loader never asks for, so the
// copy starts as a program without one. Wine's UpdateResource leaves a deleted resource in place,
// hence the edit in place; the new number still sorts last among the numbered types.
bool HideManifest(const std::string& path) {
    std::vector<char> exe;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        char block[65536];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, in)) > 0;) exe.insert(exe.end(), block, block + n);
        std::fclose(in);
    }
    const std::size_t root = ResourceRoot(exe);
    const std::size_t types = Read16(exe, root + 12) + std::size_t{Read16(exe, root + 14)};
    const std::size_t last = root + 16 + 8 * (types - 1);
    if (root == 0 || types == 0 || Read32(exe, last) != 24) return false;
    const std::uint32_t hidden = 0x7FFF;
    std::FILE* out = std::fopen(path.c_str(), "r+b");
    if (out == nullptr) return false;
    bool written = std::fseek(out, static_cast<long>(last), SEEK_SET) == 0 && std::fwrite(&hidden, 4, 1, out) == 1;
    if (std::fclose(out) != 0 || !written) return false;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (image == nullptr) return false;
    bool gone = FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST) == nullptr;
    FreeLibrary(image);
    return gone;
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
    if (setup.withoutManifest && !HideManifest(exe)) {
        *error = LastError("hiding the copy's manifest");
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
    return Launch(exe, options.runsFolder, error);
}

bool ProgramRun::StartInPlace(const std::string& exe, const std::string& workingFolder, std::string* error) {
    folder_ = exe.substr(0, exe.find_last_of('\\'));
    return Launch(exe, workingFolder, error);
}

bool ProgramRun::Launch(const std::string& exe, const std::string& workingFolder, std::string* error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> commandLine(exe.size() + 3, '\0');
    std::snprintf(commandLine.data(), commandLine.size(), "\"%s\"", exe.c_str());
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
