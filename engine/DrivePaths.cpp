#include "engine/DrivePaths.h"

namespace solvena {

std::string PathThroughDrive(std::string_view path, std::string_view target) {
    if (path.size() < 2 || path[1] != ':') return std::string(path);
    const std::string_view rest = path.substr(2);
    constexpr std::string_view kSubst = "\\??\\";
    if (target.substr(0, kSubst.size()) == kSubst && target.size() > kSubst.size() + 1 &&
        target[kSubst.size() + 1] == ':') {
        std::string folder(target.substr(kSubst.size()));
        if (!folder.empty() && folder.back() == '\\' && !rest.empty() && rest.front() == '\\') folder.pop_back();
        return folder + std::string(rest);
    }
    // A redirector's name for the connection ends with the last ';' part: "\<id>\server\share".
    constexpr std::string_view kDevice = "\\Device\\";
    const std::size_t connection = target.rfind(';');
    if (target.substr(0, kDevice.size()) == kDevice && connection != std::string_view::npos) {
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
