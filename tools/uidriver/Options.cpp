#include "Options.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace uidriver {

namespace {

Options options;

std::string BuildFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    std::string folder(path, n);
    for (int up = 0; up < 3; ++up) {
        std::size_t cut = folder.find_last_of("\\/");
        if (cut == std::string::npos) return ".";
        folder.resize(cut);
    }
    return folder;
}

bool TakeValue(const char* arg, const char* name, std::string* value) {
    std::size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0) return false;
    *value = arg + n;
    return true;
}

}  // namespace

const Options& CurrentOptions() { return options; }

std::string ProductExe() {
    const std::size_t folderEnd = options.programExe.find_last_of("\\/");
    return (folderEnd == std::string::npos ? std::string() : options.programExe.substr(0, folderEnd + 1)) + "solvena.exe";
}

bool ParseOptions(int& argc, char** argv) {
    std::string build = BuildFolder();
    options.programExe = build + "\\app\\solvena-loopback.exe";
    options.runsFolder = build + "\\ui-runs";
    options.shotsFolder = build + "\\screenshots";
    options.sourceFolder = build + "\\..\\..";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (TakeValue(argv[i], "--program=", &options.programExe) ||
            TakeValue(argv[i], "--runs=", &options.runsFolder) ||
            TakeValue(argv[i], "--shots=", &options.shotsFolder) ||
            TakeValue(argv[i], "--source=", &options.sourceFolder) ||
            TakeValue(argv[i], "--demo=", &options.demoFolder) ||
            TakeValue(argv[i], "--package=", &options.packageFolder)) {
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    if (options.demoFolder.empty()) options.demoFolder = options.runsFolder + "\\demo";
    if (GetFileAttributesA(options.programExe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "solvena_ui_tests: the program %s is missing\n", options.programExe.c_str());
        return false;
    }
    CreateDirectoryA(options.runsFolder.c_str(), nullptr);
    CreateDirectoryA(options.shotsFolder.c_str(), nullptr);
    return true;
}

}  // namespace uidriver
