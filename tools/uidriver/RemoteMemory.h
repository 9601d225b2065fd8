// Memory in the program's own address space, for the control messages whose pointer parameters
// the system does not carry between processes (tab items, list view columns and rows).
#pragma once

#include <windows.h>

#include <cstddef>

namespace uidriver {

class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool ok() const { return base_ != nullptr; }
    // The address as the program sees it, `offset` bytes in.
    char* at(std::size_t offset = 0) const { return static_cast<char*>(base_) + offset; }
    LPARAM param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(at(offset)); }
    // Both refuse anything that would cross the end of the block.
    bool Write(std::size_t offset, const void* data, std::size_t size);
    bool Read(std::size_t offset, void* data, std::size_t size) const;

private:
    HANDLE process_;
    void* base_ = nullptr;
    std::size_t size_;
};

}  // namespace uidriver
