// Command 11 (スタック): the pages' inputs become a job at the end of the stack.
#include <windows.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/RunMode.h"
#include "app/StackPageInputs.h"
#include "engine/FormatProbe.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"
#include "jobs/JobStacking.h"
#include "song/SongState.h"

namespace solvena::app {

namespace {

constexpr char kRefusalCaption[] = "スタック失敗";
constexpr char kDuplicateQuestion[] = "同じ名前のWAVファイルがリスト上に存在します。\n このままスタックしますか？";
constexpr char kExtensionQuestion[] = "拡張子(.wav)を追加しますか？";
constexpr char kRunStartedText[] = "録音が始まったため、ジョブはスタックしませんでした。";

std::string TextOfControl(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::int32_t Selection(HWND combo) { return static_cast<std::int32_t>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }

// A list without a selection names no table entry: 0, which no device accepts.
template <typename Table>
std::int32_t TableEntry(const Table& table, std::int32_t position) {
    return position >= 0 && static_cast<std::size_t>(position) < table.size()
               ? static_cast<std::int32_t>(table[static_cast<std::size_t>(position)])
               : 0;
}

}  // namespace

StackInputs ReadStackInputs() {
    StackInputs inputs;
    inputs.wavName = TextOfControl(controls.wavNameEdit);
    inputs.startBar = TextOfControl(controls.startBarEdit);
    inputs.endBar = TextOfControl(controls.endBarEdit);
    inputs.reverb = TextOfControl(controls.reverbEdit);
    inputs.midiOutDevice = Selection(controls.midiOutCombo);
    inputs.waveInDevice = Selection(controls.waveInCombo);
    inputs.sampleRate = TableEntry(devices::sampleRates, Selection(controls.sampleRateCombo));
    inputs.bitsPerSample = TableEntry(devices::bitDepths, Selection(controls.bitsCombo));
    const std::int32_t channels = Selection(controls.channelsCombo);
    inputs.channels = channels >= 0 ? channels + 1 : 0;
    return inputs;
}

void RefuseStacking(const std::string& text) {
    engine::ShowMessageBox(mainWindow, text.c_str(), kRefusalCaption, MB_OK);
}

bool AskStackQuestion(const std::string& text) {
    return engine::ShowMessageBox(mainWindow, text.c_str(), kConfirmCaption, MB_YESNO) == IDYES;
}

bool RunHoldsTheTable() {
    if (!LoadListLocked()) return false;
    engine::ShowMessageBox(mainWindow, kRunStartedText, kNoticeCaption, MB_OK);
    return true;
}

// Checked before the first box and after each: the run's questions walk the jobs there are when
// they begin, and the run records every job up to the count.
void StackJob() {
    if (RunHoldsTheTable()) return;
    const StackInputs inputs = ReadStackInputs();
    if (const StackRefusal refusal = CheckStackInputs(inputs, mainSong, jobCount); refusal != StackRefusal::none) {
        RefuseStacking(StackRefusalText(refusal, inputs, mainSong));
        return;
    }
    std::string wavPath = JoinedWavPath(mainSong, inputs);
    // Asked once, at the first job with the same file; the path is compared before ".wav" is added.
    if (JobWithWavPath(StackedJobs(), wavPath) && (!AskStackQuestion(kDuplicateQuestion) || RunHoldsTheTable())) return;
    if (LacksWavExtension(wavPath)) {
        if (AskStackQuestion(kExtensionQuestion)) wavPath += ".wav";
        if (RunHoldsTheTable()) return;
    }
    AddStackedJob(MakeStackedJob(mainSong, tracks, inputs, wavPath));
}

}  // namespace solvena::app
