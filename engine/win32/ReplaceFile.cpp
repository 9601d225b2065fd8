#include "engine/win32/ReplaceFile.h"

#include <windows.h>

namespace solvena::engine {

bool ReplaceFileWith(const std::string& path, const std::string& bytes) {
    const std::string next = path + ".new";
    const HANDLE file = CreateFileA(next.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                       put == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!wrote || !MoveFileExA(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(next.c_str());
        return false;
    }
    return true;
}

}  // namespace solvena::engine
