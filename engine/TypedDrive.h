// The free-space question names a drive as the user typed it, although the volume is found
// through what a subst or network drive letter stands for.
#pragma once

#include <string>
#include <string_view>

namespace solvena {

// `typedPath` is a full path as the user gave it ("S:\takes\a.wav"), `resolvedPath` the same
// through its drive letter (PathThroughDrive: "C:\work\takes\a.wav") and `resolvedRoot` the root
// of the volume that lies on ("C:\", or a volume mounted in a folder: "C:\work\takes\"). The root
// in the typed path's own terms: the mounted folder as reached through the typed drive ("S:\takes\")
// when the volume begins beyond what the letter stands for, otherwise the typed drive itself
// ("S:\", "\\server\share\"). A path with neither a drive letter nor a share keeps the root given.
std::string TypedDrive(std::string_view typedPath, std::string_view resolvedPath, std::string_view resolvedRoot);

}  // namespace solvena
