#include "WavChecks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Options.h"
#include "Query.h"
#include "song/Song.h"

namespace uidriver {

namespace {

constexpr char kPython[] = "Z:\\usr\\bin\\python3";
constexpr DWORD kCheckTimeoutMs = 120000;

// Appends a space and the argument in double quotes.
void AddArgument(std::string& line, const std::string& argument) {
    line += " \"";
    line += argument;
    line += '"';
}

// Whole once its last line says so: the script writes a temporary file and renames it.
std::optional<CheckResult> ReadResult(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    CheckResult result;
    std::string line;
    bool ended = false;
    while (std::getline(in, line)) {
        if (line == "end") ended = true;
        const std::size_t space = line.find(' ');
        if (space != std::string::npos) result[line.substr(0, space)] = line.substr(space + 1);
    }
    if (!ended) return std::nullopt;
    return result;
}

}  // namespace

std::string UnixPath(const std::string& windowsPath) {
    std::string path = windowsPath;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
    // The second byte of a double-byte character may be 0x5C without being a separator.
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (solvena::IsCp932LeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;
        } else if (path[i] == '\\') {
            path[i] = '/';
        }
    }
    return path;
}

std::optional<CheckResult> RunWavCheck(const std::string& command, const std::vector<std::string>& files,
                                       std::string* error, const std::vector<std::string>& values) {
    static int counter = 0;
    const Options& options = CurrentOptions();
    char fullRuns[MAX_PATH] = {};
    GetFullPathNameA(options.runsFolder.c_str(), MAX_PATH, fullRuns, nullptr);
    char fullSource[MAX_PATH] = {};
    GetFullPathNameA(options.sourceFolder.c_str(), MAX_PATH, fullSource, nullptr);
    const std::string resultPath =
        std::string(fullRuns) + "\\check-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".txt";
    DeleteFileA(resultPath.c_str());

    std::string line = kPython;
    AddArgument(line, UnixPath(std::string(fullSource) + "\\tests\\ui\\wav_check.py"));
    AddArgument(line, "--out");
    AddArgument(line, UnixPath(resultPath));
    AddArgument(line, command);
    for (const std::string& file : files) {
        char full[MAX_PATH] = {};
        GetFullPathNameA(file.c_str(), MAX_PATH, full, nullptr);
        AddArgument(line, UnixPath(full));
    }
    for (const std::string& value : values) AddArgument(line, value);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        *error = "could not start " + line;
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    // Wine does not wait for a Linux program's end; its result file says when it is done.
    std::optional<CheckResult> result;
    if (!WaitUntil([&] { return (result = ReadResult(resultPath)).has_value(); }, kCheckTimeoutMs)) {
        *error = "no result from " + line;
        return std::nullopt;
    }
    DeleteFileA(resultPath.c_str());
    if (auto it = result->find("error"); it != result->end()) {
        *error = "wav_check.py " + command + ": " + it->second;
        return std::nullopt;
    }
    return result;
}

double NumberOf(const CheckResult& result, const std::string& key) {
    const auto it = result.find(key);
    if (it == result.end()) return std::nan("");
    return std::strtod(it->second.c_str(), nullptr);
}

std::string ValueOf(const CheckResult& result, const std::string& key) {
    const auto it = result.find(key);
    return it == result.end() ? std::string() : it->second;
}

}  // namespace uidriver
