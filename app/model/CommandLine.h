// (temporary: replaced by the command line parser at merge)
#pragma once
#include <string>
#include <vector>
namespace solvena::app {
enum class StartRequestKind { none, openSong, runList, refused };
struct StartRequest {
    StartRequestKind kind = StartRequestKind::none;
    std::string path;
    bool overwrite = false;
    std::string refusal;
};
}  // namespace solvena::app
