// A disk that fills up: a file service for names ending in kFullDiskSuffix that takes `room`
// bytes of a real file and then refuses to grow it, as a full disk does.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <string>

namespace solvena::testfiles {

inline constexpr char kFullDiskSuffix[] = ".FUL+";

inline LONG fullDiskRoom = 0;

inline LRESULT CALLBACK FullDiskProc(LPSTR info, UINT message, LPARAM first, LPARAM second) {
    auto* mmio = reinterpret_cast<MMIOINFO*>(info);
    auto file = reinterpret_cast<HANDLE>(mmio->adwInfo[0]);
    switch (message) {
        case MMIOM_OPEN: {
            std::string name(reinterpret_cast<const char*>(first));
            name = name.substr(0, name.find(".FUL+"));
            file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return MMIOERR_CANNOTOPEN;
            mmio->adwInfo[0] = reinterpret_cast<DWORD_PTR>(file);
            mmio->lDiskOffset = 0;
            return 0;
        }
        case MMIOM_CLOSE: CloseHandle(file); return 0;
        case MMIOM_SEEK: {
            const DWORD moved = SetFilePointer(file, static_cast<LONG>(first), nullptr, static_cast<DWORD>(second));
            if (moved == INVALID_SET_FILE_POINTER) return -1;
            mmio->lDiskOffset = static_cast<LONG>(moved);
            return static_cast<LRESULT>(moved);
        }
        case MMIOM_WRITE:
        case MMIOM_WRITEFLUSH: {
            const LONG end = mmio->lDiskOffset + static_cast<LONG>(second);
            // Overwriting what is there always works: a full disk only refuses to grow the file.
            const DWORD size = GetFileSize(file, nullptr);
            LONG allowed = static_cast<LONG>(second);
            if (end > static_cast<LONG>(size) && end > fullDiskRoom) allowed = std::max<LONG>(0, fullDiskRoom - mmio->lDiskOffset);
            DWORD done = 0;
            if (allowed > 0) WriteFile(file, reinterpret_cast<const void*>(first), static_cast<DWORD>(allowed), &done, nullptr);
            mmio->lDiskOffset += static_cast<LONG>(done);
            return done == static_cast<DWORD>(second) ? static_cast<LRESULT>(done) : (done > 0 ? static_cast<LRESULT>(done) : -1);
        }
        default: return -1;
    }
}

// Installed for its lifetime with `room` bytes.
class FullDisk {
public:
    explicit FullDisk(LONG room) {
        fullDiskRoom = room;
        mmioInstallIOProcA(mmioFOURCC('F', 'U', 'L', ' '), FullDiskProc, MMIO_INSTALLPROC);
    }
    ~FullDisk() { mmioInstallIOProcA(mmioFOURCC('F', 'U', 'L', ' '), nullptr, MMIO_REMOVEPROC); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

}  // namespace solvena::testfiles
