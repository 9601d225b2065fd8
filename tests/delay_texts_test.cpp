// What the delay measurement tells the user: the question from the takes it may play, and each
// result from the take that gave it.
#include <gtest/gtest.h>

#include <string>

#include "engine/DelayTexts.h"

namespace solvena {
namespace {

TEST(DelayTexts, TheQuestionTellsBothTakesAndHowLongTheyMayPlay) {
    const std::string question = DelayQuestion();
    EXPECT_NE(question.find("短い音が5回鳴ります。(約3秒)\n"), std::string::npos) << question;
    EXPECT_NE(question.find("続けてさらに16回鳴ります。(長くて約11秒)\n"), std::string::npos) << question;
}

TEST(DelayTexts, ResultsSayWhatWasPlayedAndWhichLimitApplied) {
    struct Case {
        const char* what;
        DelayMeasurement result;  // verdict, delay, spread, earliest, latest, limit, heard, notes
        const char* says;
    } const cases[] = {
        {"five steady notes", {DelayVerdict::measured, 17, 0.4, 16.8, 17.2, 2, 5, 5}, "(5回のばらつき 0.4 ms)"},
        {"sixteen notes that turned out steady", {DelayVerdict::measured, 17, 1.5, 16, 17.5, 20, 16, 16},
         "(16回のばらつき 1.5 ms)"},
        {"a late note far from the median", {DelayVerdict::jittery, 20, 8, 19, 27, 20, 16, 16},
         "(16回の中央値。1回ごとのゆれ ±7.0 ms)"},
        {"an early note far from the median", {DelayVerdict::jittery, 25, 9, 17, 26, 20, 16, 16},
         "ほかのジョブとは ±8.0 ms の範囲でそろいます。"},
        {"the second take beyond its limit", {DelayVerdict::unsteady, 30, 24, 18, 42, 20, 16, 16},
         "測るたびに遅れが 24.0 ms 違いました。(20.0 ms まで)\n遅れは記録していません。"},
        {"a take without jitter beyond its limit", {DelayVerdict::unsteady, 17, 3, 16, 19, 2, 5, 5}, "(2.0 ms まで)"},
        {"the second take not heard", {DelayVerdict::notHeard, 0, 0, 0, 0, 20, 3, 16}, "(16回のうち 3 回)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = DelayResultText(c.result);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace solvena
