// What the delay measurement tells the user: the question from the takes it may play, and each
// result from the take that gave it and the limit that applied.
#include <gtest/gtest.h>

#include <string>

#include "engine/DelayTexts.h"

namespace solvena {
namespace {

TEST(DelayTexts, SayWhatWasPlayedAndWhichLimitApplied) {
    const std::string question = DelayQuestion();
    EXPECT_NE(question.find("短い音が5回鳴ります。(約3秒)\n"), std::string::npos) << question;
    EXPECT_NE(question.find("続けてさらに16回鳴ります。(長くて約11秒)\n"), std::string::npos) << question;
    struct Case {
        DelayMeasurement result;  // verdict, delay, spread, earliest, latest, limit, heard, notes
        const char* says;
    } const cases[] = {
        {{DelayVerdict::measured, 17, 0.4, 16.8, 17.2, 2, 5, 5}, "(5回のばらつき 0.4 ms)"},
        {{DelayVerdict::measured, 17, 1.5, 16, 17.5, 20, 16, 16}, "(16回のばらつき 1.5 ms)"},
        // An early note lies 8 ms from the median, half the spread would say 4.5.
        {{DelayVerdict::jittery, 25, 9, 17, 26, 20, 16, 16}, "ゆれ ±8.0 ms)"},
        {{DelayVerdict::unsteady, 30, 24, 18, 42, 20, 16, 16}, "測るたびに遅れが 24.0 ms 違いました。(20.0 ms まで)"},
        {{DelayVerdict::unsteady, 17, 3, 16, 19, 2, 5, 5}, "(2.0 ms まで)"},
    };
    for (const Case& c : cases) {
        const std::string text = DelayResultText(c.result);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace solvena
