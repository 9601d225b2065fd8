#include "RemoteMemory.h"

namespace uidriver {

RemoteMemory::RemoteMemory(HANDLE process, std::size_t size) : process_(process), size_(size) {
    base_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size) {
    if (!base_ || offset > size_ || size > size_ - offset) return false;
    SIZE_T written = 0;
    return WriteProcessMemory(process_, at(offset), data, size, &written) && written == size;
}

bool RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const {
    if (!base_ || offset > size_ || size > size_ - offset) return false;
    SIZE_T read = 0;
    return ReadProcessMemory(process_, at(offset), data, size, &read) && read == size;
}

}  // namespace uidriver
