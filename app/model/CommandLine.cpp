#include "app/model/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <utility>

namespace solvena {

namespace {

constexpr char kUsage[] =
    "\n使える形は次の二つです。\n"
    "  solvena.exe 曲のファイル\n"
    "  solvena.exe /run ジョブリストのファイル [/overwrite]";
constexpr char kNotUnderstoodHead[] = "コマンドラインの「";
constexpr char kNotUnderstoodTail[] = "」は使えません。";
constexpr char kNoListText[] = "コマンドラインの /run のあとに、録音するジョブリストのファイルがありません。";
constexpr char kOverwriteAloneText[] = "コマンドラインの /overwrite は /run と一緒にしか使えません。";

// Switch names are ASCII, so a byte-wise comparison never meets half of a double-byte character
// that matches.
bool IsSwitch(std::string_view arg, std::string_view name) {
    return std::ranges::equal(arg, name, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
    });
}

StartRequest Refused(std::string why, bool wantedRun) {
    StartRequest request;
    request.kind = StartRequestKind::refused;
    request.wantedRun = wantedRun;
    request.refusal = std::move(why) + kUsage;
    return request;
}

}  // namespace

StartRequest ParseCommandLine(const std::vector<std::string>& args) {
    bool run = false;
    bool overwrite = false;
    std::optional<std::string> path;
    // The first argument not understood is the one named: an unknown switch, an empty argument or
    // a second file.
    const std::string* offender = nullptr;
    for (const std::string& arg : args) {
        if (IsSwitch(arg, "/run")) {
            run = true;
        } else if (IsSwitch(arg, "/overwrite")) {
            overwrite = true;
        } else if (!arg.empty() && arg.front() != '/' && !path) {
            path = arg;
        } else if (offender == nullptr) {
            offender = &arg;
        }
    }
    if (offender != nullptr) {
        StartRequest refused = Refused(kNotUnderstoodHead + *offender + kNotUnderstoodTail, run);
        // A refused /run still reports beside its list.
        if (run && path) refused.path = *path;
        return refused;
    }
    if (run && !path) return Refused(kNoListText, true);
    if (!run && overwrite) return Refused(kOverwriteAloneText, false);

    StartRequest request;
    if (!path) return request;
    request.kind = run ? StartRequestKind::runList : StartRequestKind::openSong;
    request.path = std::move(*path);
    request.overwrite = overwrite;
    request.wantedRun = run;
    return request;
}

}  // namespace solvena
