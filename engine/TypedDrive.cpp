#include "engine/TypedDrive.h"

#include <algorithm>

namespace solvena {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

// "X:\" or "\\server\share\"; empty for anything else.
std::string_view DriveOf(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
    if (path.substr(0, 2) != "\\\\") return {};
    const std::size_t share = path.find('\\', 2);
    if (share == std::string_view::npos) return {};
    const std::size_t end = path.find('\\', share + 1);
    return end == std::string_view::npos ? std::string_view{} : path.substr(0, end + 1);
}

}  // namespace

std::string TypedDrive(std::string_view typedPath, std::string_view resolvedPath, std::string_view resolvedRoot) {
    const std::string_view drive = DriveOf(typedPath);
    if (drive.empty()) return std::string(resolvedRoot);
    // The part of the path beyond the volume's root is the same in both forms; what stands before
    // it in the typed path names the root, when that reaches past the typed drive.
    if (resolvedRoot.size() <= resolvedPath.size() &&
        SameIgnoringCase(resolvedPath.substr(0, resolvedRoot.size()), resolvedRoot)) {
        const std::size_t beyond = resolvedPath.size() - resolvedRoot.size();
        if (beyond < typedPath.size() && typedPath.size() - beyond > drive.size() &&
            typedPath.substr(typedPath.size() - beyond) == resolvedPath.substr(resolvedRoot.size())) {
            return std::string(typedPath.substr(0, typedPath.size() - beyond));
        }
    }
    return std::string(drive);
}

}  // namespace solvena
