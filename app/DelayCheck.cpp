#include "app/DelayCheck.h"

#include <windows.h>

#include <string>

#include "app/AppState.h"
#include "app/RunMode.h"
#include "app/Settings.h"
#include "engine/DelayTexts.h"
#include "engine/PairDelays.h"
#include "engine/RunTexts.h"
#include "engine/win32/DelayMeasure.h"
#include "song/SongState.h"

namespace solvena::app {

namespace {

constexpr char kCaption[] = "デバイスチェック";
constexpr char kNotRunText[] = "測定の音を鳴らせないか、録音できませんでした。\n遅れは記録していません。";
constexpr char kRunStartedText[] = "録音が始まったため、遅れは測りませんでした。";
constexpr char kQuestionsUpText[] = "録音の確認が出ているため、遅れは測りませんでした。";
constexpr char kNamesUnfitText[] =
    "MIDI OUTかWAVE INのデバイス名にタブか改行が含まれているため、この組み合わせの遅れは記録できません。";

// Why the pair cannot be measured now (a run or 録音's questions hold its devices); nothing
// when it can.
const char* WhyNotMeasured() {
    if (!LoadListLocked()) return nullptr;
    return RunStarted() ? kRunStartedText : kQuestionsUpText;
}

void Tell(const std::string& text) { MessageBoxA(mainWindow, text.c_str(), kCaption, MB_OK); }

}  // namespace

void OfferDelayMeasurement(std::uint32_t midiOut, std::uint32_t waveIn, const devices::WaveFormat& format) {
    if (const char* why = WhyNotMeasured()) return Tell(why);
    // Such a pair's line could never be read back: a measurement would keep nothing.
    if (!PairFitsALine({devices::MidiOutName(midiOut), devices::WaveInName(waveIn), 0})) return Tell(kNamesUnfitText);
    if (MessageBoxA(mainWindow, DelayQuestion().c_str(), kCaption, MB_YESNO) != IDYES) return;
    // The job stack window stayed live while the question was up: a run may have begun, and the
    // measurement would take its devices and buffers.
    if (const char* why = WhyNotMeasured()) return Tell(why);
    const engine::DelayRequest request{midiOut, waveIn, format.samplesPerSec, format.bitsPerSample, format.channels};
    const std::optional<DelayMeasurement> result = engine::MeasurePairDelay(request, mainWindow);
    if (!result) return Tell(kNotRunText);
    Tell(DelayResultText(*result));
    if (result->verdict != DelayVerdict::measured && result->verdict != DelayVerdict::jittery) return;
    const std::string path = DelaysPath(startFolder.data());
    const auto micros = static_cast<std::uint32_t>(result->delayMs * 1000 + 0.5);
    if (!engine::KeepPairDelay(path, midiOut, waveIn, micros)) {
        Tell(WithPath("遅れをファイル「%s」に保存できませんでした。", path));
    }
}

}  // namespace solvena::app
