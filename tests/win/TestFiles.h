// Files the Windows tests put beside the test program or in the temporary folder: the
// loopback device file and general.ini.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "loopback/seam/Loopback.h"

namespace solvena::testfiles {

inline std::string TempPath(const char* name) {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    return (length > 0 && length < sizeof folder ? std::string(folder) : std::string()) + name;
}

// The test program's folder without its final separator (the build folder's path is ASCII).
inline std::string ExeFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text(path, length < MAX_PATH ? length : 0);
    const std::size_t separator = text.find_last_of('\\');
    return separator == std::string::npos ? std::string() : text.substr(0, separator);
}

inline ULONGLONG MicrosecondsNow() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<ULONGLONG>(counter.QuadPart * 1000000.0 / frequency.QuadPart);
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

inline std::optional<std::string> ReadBytes(const std::string& path) {
    // Also while the program writes it.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    const BOOL ok = bytes.empty() || ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    if (!ok || got != bytes.size()) return std::nullopt;
    return bytes;
}

// Replaces the loopback devices with those described by `text`.
inline bool LoadLoopbackDevices(const std::string& text) {
    const std::string path = TempPath("solvena-shell-test-devices.txt");
    const bool loaded = WriteBytes(path, text) && devices::LoopbackLoadDeviceFile(path);
    DeleteFileA(path.c_str());
    return loaded;
}

// Keeps whatever general.ini lies beside the test program and puts it back on destruction, so
// a test can write its own or have none.
class GeneralIniGuard {
public:
    GeneralIniGuard() : path_(ExeFolder() + "\\general.ini"), saved_(ReadBytes(path_)) { Remove(); }
    ~GeneralIniGuard() {
        if (saved_) {
            WriteBytes(path_, *saved_);
        } else {
            Remove();
        }
    }
    GeneralIniGuard(const GeneralIniGuard&) = delete;
    GeneralIniGuard& operator=(const GeneralIniGuard&) = delete;

    bool Write(const std::string& bytes) const { return WriteBytes(path_, bytes); }
    void Remove() const { DeleteFileA(path_.c_str()); }

private:
    std::string path_;
    std::optional<std::string> saved_;
};

}  // namespace solvena::testfiles
