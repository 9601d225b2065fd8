// What a path stands for on this system, for the checks before a run: the file behind its names
// (8.3 names, subst drives, mapped network drives, any case) and the volume it lies on.
#pragma once

#include <cstdint>
#include <string>

namespace solvena::engine {

// The file's long full path, through subst and network drives, without case.
std::string FileKey(const char* path);
// The volume the file would lie on: `drive` its root as the user knows it, `volume` what tells
// volumes apart (the system's volume name where it has one) and the bytes free there. False
// when the system cannot tell.
bool FreeSpace(const char* path, std::string* drive, std::string* volume, std::uint64_t* freeBytes);

}  // namespace solvena::engine
