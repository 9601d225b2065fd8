// The base of the scenarios that record: songs and job lists written beside the program, a list
// loaded with 読込, a run started with 録音 and followed to its end, and the WAV files it wrote
// read back by an independent reader.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "WavChecks.h"
#include "jobs/RecordingJob.h"

namespace uidriver {

struct RunLog {
    std::vector<AnsiText> progress;    // each new text of the progress label, in order
    std::vector<SeenMessageBox> boxes;  // every box the run showed, in order
    bool finished = false;              // the finish text appeared
    std::optional<SeenMessageBox> report;  // the box after the finish: recordings to redo
};

class RecordingRun : public Scenario {
protected:
    // Writes a file into the program's folder; its full path.
    std::string Put(const std::string& name, const std::string& bytes);
    std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes);
    std::string PathOf(const std::string& name);
    // The bytes of a file in the program's folder; empty when it is not there.
    std::string Bytes(const std::string& name);

    // A job over the whole song (the conductor track and the notes) on the first devices.
    static solvena::RecordingJob Job(const std::string& midiPath, const std::string& wavPath, int rate, int bits,
                                     int channels, int reverbSeconds, bool enabled = true);
    // The job list file of these jobs, as the program writes one.
    std::string PutList(const std::string& name, const std::vector<solvena::RecordingJob>& jobs);

    // The open button, then `path` typed into the open dialog; true once the dialog is gone and
    // the command has returned.
    ::testing::AssertionResult OpenSong(const std::string& path);
    // Sets an edit's text as typing would (the program gets its change notifications).
    bool SetEdit(HWND edit, const std::string& text);
    // 読込, answering the overwrite question with `answer`, then the open dialog with `path`.
    ::testing::AssertionResult LoadList(const std::string& path, int answer = IDYES);
    // Presses 録音 and follows the run until the finish text (or `timeoutMs`), answering every
    // box with `answer` (default: its first button). The report after the finish is answered
    // with OK unless `leaveReportOpen`.
    RunLog RecordAndFollow(DWORD timeoutMs, const std::function<int(const SeenMessageBox&)>& answer = {},
                           bool leaveReportOpen = false);

    // The device page's check button, its good result answered: the offer to measure the delay
    // that follows it, still open; nothing (and a failure) otherwise.
    std::optional<SeenMessageBox> CheckDevicesForTheOffer();

    // delays.ini in the program's folder once it holds something (the program keeps a measured
    // delay after its result box is closed); empty after `timeoutMs`.
    std::string KeptDelays(DWORD timeoutMs = 5000);

    HWND JobList() const;
    std::vector<int> RowIcons();
    std::vector<std::vector<AnsiText>> Rows();

    // wav_check.py's reading; fails the test and gives an empty result on an error.
    CheckResult Check(const std::string& command, const std::vector<std::string>& files,
                      const std::vector<std::string>& values = {});
};

// A text followed by a number (kept out of operator+, where gcc 12 warns about its own copy).
inline std::string Numbered(const char* text, long long number) {
    std::string out = text;
    out += std::to_string(number);
    return out;
}

// Lines of a loopback device file.
inline constexpr char kStudio[] = "midiout Virtual Synth\nwavein Virtual Loop\n";

}  // namespace uidriver
