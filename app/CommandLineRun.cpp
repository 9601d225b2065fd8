#include "app/CommandLineRun.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "engine/UnattendedReport.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/MainWindowLink.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/RunController.h"
#include "engine/win32/RunState.h"
#include "jobs/JobListFile.h"
#include "jobs/JobMessages.h"
#include "jobs/RecordingJob.h"

namespace solvena::app {

namespace {

constexpr char kCancelledText[] = "録音は途中で止められました。";
constexpr char kYesAnswer[] = "→ はい";
constexpr char kNotStartedText[] = "録音を始められませんでした。";

// The one command-line run of the program, from its start to its report.
struct CommandLineRun {
    bool started = false;
    bool active = false;
    bool overwrite = false;
    std::string reportPath;
    std::vector<UnattendedJob> jobs;
    std::vector<std::string> told;
    int exitCode = 1;
};
CommandLineRun commandLineRun;

// Every box of the run: written down, and answered as the run's questions are answered unasked
// (Yes goes on with the run; the existing-file question never comes here).
int WriteDownBox(HWND, const char* text, const char* caption, UINT type) {
    const UINT buttons = type & MB_TYPEMASK;
    std::string entry = std::string("[") + caption + "] " + text;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) entry += std::string("\n") + kYesAnswer;
    commandLineRun.told.push_back(entry);
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
}

bool WriteReport(const std::string& text) {
    if (commandLineRun.reportPath.empty()) return false;
    const HANDLE file =
        CreateFileA(commandLineRun.reportPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool wrote = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size();
    CloseHandle(file);
    return wrote;
}

// What became of each job, into the report and the exit code; the run is over for this program.
void Report() {
    if (!commandLineRun.active) return;
    commandLineRun.active = false;
    const engine::RunState& run = engine::JobStackRun();
    std::vector<JobOutcome> outcomes;
    for (std::size_t i = 0; i < commandLineRun.jobs.size(); ++i) {
        UnattendedJob& job = commandLineRun.jobs[i];
        job.ranOn = job.listedOn && i < static_cast<std::size_t>(jobCount) && jobs[i].enabled == 1;
        outcomes.push_back(OutcomeOf(job, commandLineRun.overwrite, run.recordedJobs, static_cast<std::int32_t>(i)));
    }
    commandLineRun.exitCode = UnattendedExitCode(outcomes);
    WriteReport(UnattendedReportText(commandLineRun.jobs, outcomes, commandLineRun.told));
}

// Nothing to record: told in the report, and the program ends.
void Refuse(const std::string& reason) {
    commandLineRun.jobs.clear();
    commandLineRun.told.push_back(reason);
    Report();
    commandLineRun.exitCode = 2;
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

void OnRunFinished() {
    if (!commandLineRun.active) return;
    Report();
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

}  // namespace

void RunJobListFromCommandLine(const StartRequest& request) {
    commandLineRun = CommandLineRun{};
    commandLineRun.started = true;
    commandLineRun.active = true;
    commandLineRun.overwrite = request.overwrite;
    // The list's own folder, whatever the working folder becomes.
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(request.path.c_str(), MAX_PATH, full, nullptr);
    const std::string list = length > 0 && length < MAX_PATH ? std::string(full) : request.path;
    commandLineRun.reportPath = list + ".log";
    engine::SetMessageBoxFunction(WriteDownBox);
    engine::MainWindowLink link = engine::CurrentMainWindowLink();
    link.runFinished = OnRunFinished;
    engine::SetMainWindowLink(link);

    // A /run whose other arguments were not understood records nothing; with a list named, the
    // reason goes beside it.
    if (request.kind != StartRequestKind::runList) {
        if (request.path.empty()) commandLineRun.reportPath.clear();
        return Refuse(request.refusal);
    }
    const JobListResult result = ReadJobListFile(list.c_str());
    for (const RecordingJob& job : StackedJobs()) {
        const std::string wav = TextOf(job.wavPath);
        commandLineRun.jobs.push_back({wav, job.enabled == 1, false, GetFileAttributesA(wav.c_str()) != INVALID_FILE_ATTRIBUTES});
    }
    // A list that cannot be read whole is not recorded in part: the script learns of it first.
    if (result.status != JobListStatus::ok) return Refuse(JobListLoadMessage(result));
    ShowJobStackWindow();
    engine::RunState& run = engine::JobStackRun();
    run.unattended = true;
    run.overwriteExisting = request.overwrite;
    SendMessageA(engine::jobStackWindow, WM_COMMAND, engine::kRecordCommand, 0);
    if (!run.runStarted && commandLineRun.active) Refuse(kNotStartedText);
}

void EndCommandLineRun() {
    if (!commandLineRun.active) return;
    commandLineRun.told.push_back(kCancelledText);
    Report();
}

int ProgramExitCode() { return commandLineRun.started ? commandLineRun.exitCode : 1; }

}  // namespace solvena::app
