#include "engine/DrivePaths.h"

#include "song/Song.h"

namespace solvena {

namespace {

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// `folder` and the rest of a path after its drive letter, with one separator between them.
std::string Joined(std::string folder, std::string_view rest) {
    const std::size_t last = LastSeparator(folder);
    if (last != std::string::npos && last + 1 == folder.size() && StartsWith(rest, "\\")) folder.pop_back();
    folder += rest;
    return folder;
}

}  // namespace

std::size_t LastSeparator(std::string_view path) {
    // Walked by characters: the second byte of a double-byte character may be 0x5C.
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c == '\\' || c == '/') last = i;
        if (IsCp932LeadByte(c)) ++i;
    }
    return last;
}

std::string PathThroughDrive(std::string_view path, std::string_view target) {
    if (path.size() < 2 || path[1] != ':') return std::string(path);
    const std::string_view rest = path.substr(2);
    constexpr std::string_view kSubst = "\\??\\";
    constexpr std::string_view kSubstShare = "\\??\\UNC\\";
    if (StartsWith(target, kSubstShare) && target.size() > kSubstShare.size()) {
        return Joined(std::string("\\\\").append(target.substr(kSubstShare.size())), rest);
    }
    if (StartsWith(target, kSubst) && target.size() > kSubst.size() + 1 && target[kSubst.size() + 1] == ':') {
        return Joined(std::string(target.substr(kSubst.size())), rest);
    }
    // A redirector's name for the connection ends with the last ';' part: "\<id>\server\share".
    constexpr std::string_view kDevice = "\\Device\\";
    const std::size_t connection = target.rfind(';');
    if (StartsWith(target, kDevice) && connection != std::string_view::npos) {
        const std::size_t share = target.find('\\', connection);
        if (share == std::string_view::npos || share + 1 >= target.size()) return std::string(path);
        std::string unc(1, '\\');
        unc += target.substr(share);
        unc += rest;
        return unc;
    }
    return std::string(path);
}

}  // namespace solvena
