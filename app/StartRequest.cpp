// The command line at start-up: its arguments in the program's code page, and what is done with
// them once the windows are shown.
#include <windows.h>
#include <shellapi.h>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/CommandLineRun.h"
#include "app/ResumeRun.h"
#include "app/Startup.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"

namespace solvena::app {

namespace {

// A character the code page lacks becomes "?", which no file name holds, rather than a look-alike
// that could name another file.
std::string AnsiOf(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(size - 1));
    return ansi;
}

}  // namespace

std::vector<std::string> ArgumentsOf(const wchar_t* commandLine) {
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(commandLine, &count);
    std::vector<std::string> arguments;
    if (split == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(AnsiOf(split[i]));
    LocalFree(split);
    return arguments;
}

void ActOnStartRequest(const StartRequest& request) {
    // A run from the command line answers with its exit code and report, its refusals too.
    if (request.wantedRun) {
        RunJobListFromCommandLine(request);
        return;
    }
    OfferUnfinishedRun();
    switch (request.kind) {
        case StartRequestKind::openSong: OpenSongFile(request.path); break;
        case StartRequestKind::refused:
            engine::ShowMessageBox(mainWindow, request.refusal.c_str(), kNoticeCaption, MB_OK);
            break;
        default: break;
    }
}

}  // namespace solvena::app
