#include "RecordingRun.h"

#include <fstream>
#include <sstream>

#include "CommonControls.h"
#include "FileDialogs.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Query.h"
#include "jobs/JobListFile.h"

namespace uidriver {

namespace {

constexpr int kRecordButtonId = 14;
constexpr int kJobListId = 1;
constexpr char kFinished[] = "録音が終了しました。";
constexpr char kReportCaption[] = "録音結果";

}  // namespace

std::string RecordingRun::PathOf(const std::string& name) {
    char full[MAX_PATH] = {};
    GetFullPathNameA((Run().folder() + "\\" + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string RecordingRun::Put(const std::string& name, const std::string& bytes) {
    const std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "could not write " << path;
    return path;
}

std::string RecordingRun::Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return Put(name, std::string(bytes.begin(), bytes.end()));
}

solvena::RecordingJob RecordingRun::Job(const std::string& midiPath, const std::string& wavPath, int rate, int bits,
                                        int channels, int reverbSeconds, bool enabled) {
    solvena::RecordingJob job;
    solvena::SetText(job.midiPath, midiPath);
    solvena::SetText(job.wavPath, wavPath);
    job.sampleRate = rate;
    job.bitsPerSample = bits;
    job.channels = channels;
    job.startTick = 0;
    job.endTick = 0x7FFFFFFF;
    job.reverbSeconds = reverbSeconds;
    job.expectedSeconds = 2;
    job.trackEnabled[0] = job.trackEnabled[1] = 1;
    job.enabled = enabled ? 1 : 0;
    return job;
}

std::string RecordingRun::PutList(const std::string& name, const std::vector<solvena::RecordingJob>& jobs) {
    return Put(name, solvena::WriteJobList(jobs));
}

std::optional<SeenMessageBox> RecordingRun::CheckDevicesForTheOffer() {
    if (!ShowPage(2)) return std::nullopt;
    std::optional<SeenMessageBox> box = ClickForMessageBox(Control("deviceCheckButton"));
    if (!box) {
        ADD_FAILURE() << "the check showed nothing";
        return std::nullopt;
    }
    EXPECT_EQ(box->text, AnsiText("この設定で録音が可能です。"));
    if (!AnswerMessageBox(*box, IDOK)) return std::nullopt;
    std::optional<SeenMessageBox> offer = WaitForMessageBox(Run().processId(), 5000);
    if (!offer) ADD_FAILURE() << "no offer to measure";
    return offer;
}

::testing::AssertionResult RecordingRun::OpenSong(const std::string& path) {
    if (!Click(Control("openButton"))) return ::testing::AssertionFailure() << "the open button";
    auto dialog = WaitForFileDialog(Run().processId(), 10000);
    if (!dialog) return ::testing::AssertionFailure() << "no open dialog";
    if (auto chosen = ChooseInFileDialog(*dialog, path); !chosen) return chosen;
    Settle(Main());
    return ::testing::AssertionSuccess();
}

bool RecordingRun::SetEdit(HWND edit, const std::string& text) {
    LRESULT done = 0;
    return Ask(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &done) && done && Settle(Main());
}

::testing::AssertionResult RecordingRun::LoadList(const std::string& path, int answer) {
    auto question = ClickForMessageBox(Control("loadListButton"));
    if (!question) return ::testing::AssertionFailure() << "読込 asked nothing";
    if (question->text != AnsiText("現在のリストを上書きしますか？") || question->caption != AnsiText("確認")) {
        return ::testing::AssertionFailure() << "読込 asked " << ToUtf8(question->text.bytes);
    }
    if (!AnswerMessageBox(*question, answer)) return ::testing::AssertionFailure() << "the question stayed";
    auto dialog = WaitForFileDialog(Run().processId(), 10000);
    if (!dialog) return ::testing::AssertionFailure() << "no open dialog";
    if (auto chosen = ChooseInFileDialog(*dialog, path); !chosen) return chosen;
    if (!WaitUntil([&] { return IsWindowVisible(JobStack()) != FALSE; }, 5000)) {
        return ::testing::AssertionFailure() << "the job stack window was not shown";
    }
    Settle(Main());
    return ::testing::AssertionSuccess();
}

RunLog RecordingRun::RecordAndFollow(DWORD timeoutMs, const std::function<int(const SeenMessageBox&)>& answer,
                                     bool leaveReportOpen) {
    RunLog log;
    HWND label = Control("progressLabel");
    if (!Click(GetDlgItem(JobStack(), kRecordButtonId))) return log;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    auto notice = [&] {
        const AnsiText text = TextOf(label);
        if (!text.bytes.empty() && (log.progress.empty() || !(log.progress.back() == text))) log.progress.push_back(text);
        log.finished = text == AnsiText(kFinished);
    };
    while (GetTickCount64() < end && Run().Running()) {
        if (auto box = WaitForMessageBox(Run().processId(), 0)) {
            // The report follows the finish text at once; it may be seen before the text is read.
            if (box->caption == AnsiText(kReportCaption)) {
                log.report = box;
                notice();
                break;
            }
            log.boxes.push_back(*box);
            const int button = answer ? answer(*box) : (box->buttons.empty() ? IDOK : box->buttons.front());
            AnswerMessageBox(*box, button);
            continue;
        }
        notice();
        if (log.finished) {
            // The program shows its report straight after the finish text, or not at all.
            log.report = WaitForMessageBox(Run().processId(), 1000);
            break;
        }
        Sleep(20);
    }
    if (log.report && !leaveReportOpen) AnswerMessageBox(*log.report, IDOK);
    Settle(Main());
    return log;
}

std::string RecordingRun::Bytes(const std::string& name) {
    std::ifstream file(PathOf(name), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string RecordingRun::KeptDelays(DWORD timeoutMs) {
    std::string kept;
    WaitUntil([&] {
        kept = Bytes("delays.ini");
        return !kept.empty();
    }, timeoutMs);
    return kept;
}

HWND RecordingRun::JobList() const { return ChildById(JobStack(), kJobListId); }

std::vector<int> RecordingRun::RowIcons() {
    std::vector<int> icons;
    for (int row = 0; row < ListRowCount(JobList()); ++row) icons.push_back(ListRowIcon(Process(), JobList(), row).value_or(-1));
    return icons;
}

std::vector<std::vector<AnsiText>> RecordingRun::Rows() {
    std::vector<std::vector<AnsiText>> rows;
    for (int row = 0; row < ListRowCount(JobList()); ++row) {
        std::vector<AnsiText> cells;
        for (int column = 0; column < 9; ++column) {
            cells.push_back(ListCell(Process(), JobList(), row, column).value_or(AnsiText("<unreadable>")));
        }
        rows.push_back(cells);
    }
    return rows;
}

CheckResult RecordingRun::Check(const std::string& command, const std::vector<std::string>& files,
                                const std::vector<std::string>& values) {
    std::string error;
    auto result = RunWavCheck(command, files, &error, values);
    if (!result) {
        ADD_FAILURE() << error;
        return {};
    }
    return *result;
}

}  // namespace uidriver
