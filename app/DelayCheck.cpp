#include "app/DelayCheck.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/AppState.h"
#include "app/RunMode.h"
#include "app/Settings.h"
#include "engine/PairDelays.h"
#include "engine/RunTexts.h"
#include "engine/win32/DelayMeasure.h"
#include "song/SongState.h"

namespace solvena::app {

namespace {

constexpr char kCaption[] = "デバイスチェック";
constexpr char kQuestion[] =
    "続けて、MIDI OUTデバイスからWAVE INデバイスまでの音の遅れを測りますか？\n"
    "測っている間、短い音が5回鳴ります。(約3秒)\n"
    "測った遅れは、この組み合わせで録音するジョブに使われます。";
constexpr char kNotRunText[] = "測定の音を鳴らせないか、録音できませんでした。\n遅れは記録していません。";
constexpr char kNotKept[] = "\n遅れは記録していません。";
constexpr char kRunStartedText[] = "録音が始まったため、遅れは測りませんでした。";
constexpr char kNamesUnfitText[] =
    "MIDI OUTかWAVE INのデバイス名にタブか改行が含まれているため、この組み合わせの遅れは記録できません。";

std::string Formatted(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char text[512];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

// "(5回のうち 3 回)": how many of the notes were found.
std::string HeardOf(const DelayMeasurement& result) {
    return Formatted("(%.0f回のうち %.0f 回)", result.notes, result.heard);
}

std::string ResultText(const DelayMeasurement& result) {
    switch (result.verdict) {
        case DelayVerdict::measured:
            return Formatted("音の遅れは %.1f ms でした。(5回のばらつき %.1f ms)\n"
                             "この組み合わせで録音するジョブは、この遅れの分だけ後ろからWAVファイルに録音します。",
                             result.delayMs, result.spreadMs);
        case DelayVerdict::jittery:
            // The device sounds each note up to half its spread early or late: that is how closely
            // its stems meet the others'.
            return Formatted("音の遅れは %.1f ms でした。(%.0f回の中央値。1回ごとのゆれ ±%.1f ms)\n"
                             "この組み合わせで録音するジョブは、この遅れの分だけ後ろからWAVファイルに録音します。"
                             "ほかのジョブとは ±%.1f ms の範囲でそろいます。",
                             result.delayMs, result.heard, result.spreadMs / 2, result.spreadMs / 2);
        case DelayVerdict::notHeard:
            return "測定の音が聞こえませんでした。" + HeardOf(result) +
                   "\nMIDI OUTデバイスの音がWAVE INデバイスに届いているか確かめてください。" + kNotKept;
        case DelayVerdict::drowned:
            return "WAVE INデバイスにもともと入っている音(雑音やハムなど)が大きく、測定の音と聞き分けられませんでした。" +
                   HeardOf(result) + "\n入力の雑音やハムを小さくするか、MIDI OUTデバイスの音を大きくしてください。" + kNotKept;
        case DelayVerdict::unsteady:
            return Formatted("測るたびに遅れが %.1f ms 違いました。(%.1f ms まで)", result.spreadMs, kMaxDelaySpreadMs) +
                   kNotKept;
    }
    return {};
}

void Tell(const std::string& text) { MessageBoxA(mainWindow, text.c_str(), kCaption, MB_OK); }

}  // namespace

void OfferDelayMeasurement(std::uint32_t midiOut, std::uint32_t waveIn, const devices::WaveFormat& format) {
    if (LoadListLocked()) return;
    // Such a pair's line could never be read back: a measurement would keep nothing.
    if (!PairFitsALine({devices::MidiOutName(midiOut), devices::WaveInName(waveIn), 0})) return Tell(kNamesUnfitText);
    if (MessageBoxA(mainWindow, kQuestion, kCaption, MB_YESNO) != IDYES) return;
    // The job stack window stayed live while the question was up: a run may have begun, and the
    // measurement would take its devices and buffers.
    if (LoadListLocked()) return Tell(kRunStartedText);
    const engine::DelayRequest request{midiOut, waveIn, format.samplesPerSec, format.bitsPerSample, format.channels};
    const std::optional<DelayMeasurement> result = engine::MeasurePairDelay(request, mainWindow);
    if (!result) return Tell(kNotRunText);
    Tell(ResultText(*result));
    if (result->verdict != DelayVerdict::measured && result->verdict != DelayVerdict::jittery) return;
    const std::string path = DelaysPath(startFolder.data());
    const auto micros = static_cast<std::uint32_t>(result->delayMs * 1000 + 0.5);
    if (!engine::KeepPairDelay(path, midiOut, waveIn, micros)) {
        Tell(WithPath("遅れをファイル「%s」に保存できませんでした。", path));
    }
}

}  // namespace solvena::app
