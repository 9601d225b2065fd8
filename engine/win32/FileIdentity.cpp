#include "engine/win32/FileIdentity.h"

#include <windows.h>

#include <cstring>

#include "engine/DrivePaths.h"
#include "engine/TypedDrive.h"

namespace solvena::engine {

namespace {

constexpr DWORD kPathRoom = MAX_PATH * 4;

std::string Upper(std::string text) {
    if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string FullPath(const char* path) {
    std::string full(kPathRoom, '\0');
    const DWORD length = GetFullPathNameA(path, kPathRoom, full.data(), nullptr);
    full.resize(length > 0 && length < kPathRoom ? length : 0);
    return full.empty() ? std::string(path) : full;
}

// The full path with a subst or network drive letter replaced by what it stands for.
std::string ResolvedPath(const char* path) {
    const std::string full = FullPath(path);
    if (full.size() < 2 || full[1] != ':') return full;
    char target[kPathRoom] = {};
    const char letter[3] = {full[0], ':', '\0'};
    if (QueryDosDeviceA(letter, target, kPathRoom) == 0) return full;
    return PathThroughDrive(full, target);
}

// The long form of a path whose file may not exist yet: its folder's long form and its name.
std::string LongPath(const std::string& path) {
    std::string out(kPathRoom, '\0');
    DWORD length = GetLongPathNameA(path.c_str(), out.data(), kPathRoom);
    if (length > 0 && length < kPathRoom) return out.substr(0, length);
    const std::size_t slash = LastSeparator(path);
    if (slash == std::string::npos || slash == 0) return path;
    const std::string folder = path.substr(0, slash);
    length = GetLongPathNameA(folder.c_str(), out.data(), kPathRoom);
    if (length == 0 || length >= kPathRoom) return path;
    return out.substr(0, length) + path.substr(slash);
}

}  // namespace

std::string FileKey(const char* path) { return Upper(LongPath(ResolvedPath(path))); }

bool FreeSpace(const char* path, std::string* drive, std::string* volume, std::uint64_t* freeBytes) {
    const std::string resolved = ResolvedPath(path);
    std::string root(kPathRoom, '\0');
    if (!GetVolumePathNameA(resolved.c_str(), root.data(), kPathRoom)) return false;
    root.resize(std::strlen(root.c_str()));
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr)) return false;
    char name[MAX_PATH] = {};
    *volume = GetVolumeNameForVolumeMountPointA(root.c_str(), name, MAX_PATH) ? std::string(name) : Upper(root);
    // The volume is found through what a drive letter stands for; the user is shown the drive typed.
    *drive = TypedDrive(FullPath(path), resolved, root);
    *freeBytes = available.QuadPart;
    return true;
}

}  // namespace solvena::engine
