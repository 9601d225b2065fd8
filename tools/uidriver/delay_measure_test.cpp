// The delay of a device pair measured from the device page as a person would, and a job on that
// pair recorded with its notes on their frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Input.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

using solvena::test::QuarterNoteSong;

class DelayScenario : public RecordingRun {};

TEST_F(DelayScenario, MeasuredAfterTheDeviceCheckAndTakenOutOfTheNextJob) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Late Synth\n  latency 17\nwavein Virtual Loop\n  startdelay 200-600\n"}));
    std::optional<SeenMessageBox> question = CheckDevicesForTheOffer();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->caption, AnsiText("デバイスチェック"));
    EXPECT_EQ(question->buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_NE(question->text.bytes.find(AnsiText("短い音が5回鳴ります").bytes), std::string::npos);
    const ULONGLONG asked = GetTickCount64();
    ASSERT_TRUE(AnswerMessageBox(*question, IDYES));

    std::optional<SeenMessageBox> result = WaitForMessageBox(Run().processId(), 20000);
    ASSERT_TRUE(result) << "no result";
    const ULONGLONG took = GetTickCount64() - asked;
    EXPECT_EQ(result->owner, Main());
    EXPECT_EQ(result->text.bytes.rfind(AnsiText("音の遅れは 17.0 ms でした。(5回のばらつき 0.0 ms)").bytes, 0), 0u)
        << ToUtf8(result->text.bytes);
    SavePicture(result->dialog, "result");
    ASSERT_TRUE(AnswerMessageBox(*result, IDOK));
    const std::string kept = KeptDelays();
    EXPECT_EQ(kept.rfind("Late Synth\tVirtual Loop\t170", 0), 0u) << kept;
    EXPECT_EQ(kept.size(), std::string("Late Synth\tVirtual Loop\t17000\r\n").size()) << kept;
    std::printf("[ measured ] the device page's measurement of a 17 ms synthesizer: %llu ms from yes to the result\n",
                static_cast<unsigned long long>(took));

    const std::string song = Put("notes.mid", QuarterNoteSong(6, 120, 500000));
    ASSERT_TRUE(LoadList(PutList("late.list", {Job(song, PathOf("late.wav"), 44100, 16, 2, 1)})));
    const RunLog log = RecordAndFollow(60000);
    ASSERT_TRUE(log.finished);
    const CheckResult aligned = Check("aligned", {PathOf("late.wav"), song}, {"0", "0,1"});
    EXPECT_EQ(NumberOf(aligned, "found"), 6);
    // The measured delay is found to a frame, and the file's first frame placed to a frame.
    EXPECT_LE(NumberOf(aligned, "maxerror_frames"), 2) << "the first note sits on the file's first frame";
}

}  // namespace
}  // namespace uidriver
