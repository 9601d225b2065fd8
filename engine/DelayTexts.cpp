#include "engine/DelayTexts.h"

#include <algorithm>
#include <cstdio>

#include "engine/DelayTakes.h"

namespace solvena {

namespace {

constexpr char kNotKept[] = "\n遅れは記録していません。";
constexpr char kKeptForJobs[] =
    "\nこの組み合わせで録音するジョブは、この遅れの分だけ後ろからWAVファイルに録音します。";

std::string Formatted(const char* format, double a, double b = 0, double c = 0) {
    char text[512];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// "(5回のうち 3 回)": how many of the notes were found.
std::string HeardOf(const DelayMeasurement& result) {
    return Formatted("(%.0f回のうち %.0f 回)", result.notes, result.heard);
}

}  // namespace

std::string DelayQuestion() {
    std::string text = "続けて、MIDI OUTデバイスからWAVE INデバイスまでの音の遅れを測りますか？\n";
    text.append(Formatted("測っている間、短い音が%.0f回鳴ります。(約%.0f秒)\n", kSteadyTake.notes,
                          TakeSeconds(kSteadyTake)));
    const TakePlan longest = LongestJitterTake();
    text.append(Formatted("遅れが1回ごとにゆれるときは、続けてさらに%.0f回鳴ります。(長くて約%.0f秒)\n", longest.notes,
                          TakeSeconds(longest)));
    text.append("測った遅れは、この組み合わせで録音するジョブに使われます。");
    return text;
}

double FarthestNoteMs(const DelayMeasurement& result) {
    return std::max(result.delayMs - result.earliestMs, result.latestMs - result.delayMs);
}

std::string DelayResultText(const DelayMeasurement& result) {
    std::string text;
    switch (result.verdict) {
        case DelayVerdict::measured:
            text = Formatted("音の遅れは %.1f ms でした。(%.0f回のばらつき %.1f ms)", result.delayMs, result.notes,
                             result.spreadMs);
            text.append(kKeptForJobs);
            break;
        case DelayVerdict::jittery:
            // A note may sound that far off the kept delay: that is how closely its stems meet the others'.
            text = Formatted("音の遅れは %.1f ms でした。(%.0f回の中央値。1回ごとのゆれ ±%.1f ms)", result.delayMs,
                             result.notes, FarthestNoteMs(result));
            text.append(kKeptForJobs);
            text.append(Formatted("ほかのジョブとは ±%.1f ms の範囲でそろいます。", FarthestNoteMs(result)));
            break;
        case DelayVerdict::notHeard:
            text = "測定の音が聞こえませんでした。" + HeardOf(result);
            text.append("\nMIDI OUTデバイスの音がWAVE INデバイスに届いているか確かめてください。");
            text.append(kNotKept);
            break;
        case DelayVerdict::drowned:
            text = "WAVE INデバイスにもともと入っている音(雑音やハムなど)が大きく、測定の音と聞き分けられませんでした。";
            text.append(HeardOf(result));
            text.append("\n入力の雑音やハムを小さくするか、MIDI OUTデバイスの音を大きくしてください。");
            text.append(kNotKept);
            break;
        case DelayVerdict::unsteady:
            text = Formatted("測るたびに遅れが %.1f ms 違いました。(%.1f ms まで)", result.spreadMs, result.limitMs);
            text.append(kNotKept);
            break;
    }
    return text;
}

}  // namespace solvena
