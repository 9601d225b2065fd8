// A disk that fills up: the multimedia file service, for files whose names end in
// kFullDiskSuffix, takes `room` bytes of a real file and then refuses to grow it, as a full disk
// does. Every other file, and everything but writing, goes to the system's own service.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <string_view>

namespace solvena::testfiles {

inline constexpr char kFullDiskSuffix[] = ".FUL+";

inline LONG fullDiskRoom = 0;
inline LPMMIOPROC systemFileProc = nullptr;

// The service keeps an open file's handle as a 32-bit file number.
inline HANDLE FileOf(const MMIOINFO* mmio) { return LongToHandle(static_cast<LONG>(mmio->adwInfo[0])); }

inline bool OnFullDisk(HANDLE file) {
    char name[MAX_PATH * 2] = {};
    const DWORD length = GetFinalPathNameByHandleA(file, name, sizeof name, 0);
    return std::string_view(name, length < sizeof name ? length : 0).ends_with(kFullDiskSuffix);
}

// What a write of `count` bytes at the service's position gets onto the full disk.
inline LRESULT WriteToFullDisk(MMIOINFO* mmio, const void* bytes, LONG count) {
    const HANDLE file = FileOf(mmio);
    const LONG end = mmio->lDiskOffset + count;
    // Overwriting what is there always works: a full disk only refuses to grow the file.
    const DWORD size = GetFileSize(file, nullptr);
    LONG allowed = count;
    if (end > static_cast<LONG>(size) && end > fullDiskRoom) allowed = std::max<LONG>(0, fullDiskRoom - mmio->lDiskOffset);
    DWORD done = 0;
    if (allowed > 0) WriteFile(file, bytes, static_cast<DWORD>(allowed), &done, nullptr);
    mmio->lDiskOffset += static_cast<LONG>(done);
    return done == static_cast<DWORD>(count) ? static_cast<LRESULT>(done) : (done > 0 ? static_cast<LRESULT>(done) : -1);
}

inline LRESULT CALLBACK FullDiskProc(LPSTR info, UINT message, LPARAM first, LPARAM second) {
    auto* mmio = reinterpret_cast<MMIOINFO*>(info);
    if (message == MMIOM_OPEN) {
        const LRESULT result = systemFileProc(info, message, first, second);
        mmio->adwInfo[1] = result == 0 && OnFullDisk(FileOf(mmio));
        return result;
    }
    if ((message == MMIOM_WRITE || message == MMIOM_WRITEFLUSH) && mmio->adwInfo[1] != 0) {
        return WriteToFullDisk(mmio, reinterpret_cast<const void*>(first), static_cast<LONG>(second));
    }
    return systemFileProc(info, message, first, second);
}

// Put in front of the system's service for its lifetime, with `room` bytes.
class FullDisk {
public:
    explicit FullDisk(LONG room) {
        fullDiskRoom = room;
        systemFileProc = mmioInstallIOProcA(FOURCC_DOS, nullptr, MMIO_FINDPROC);
        mmioInstallIOProcA(FOURCC_DOS, FullDiskProc, MMIO_INSTALLPROC);
    }
    ~FullDisk() { mmioInstallIOProcA(FOURCC_DOS, FullDiskProc, MMIO_REMOVEPROC); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

}  // namespace solvena::testfiles
