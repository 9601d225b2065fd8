// The device check (command 8) asks the device chosen in the WAVE IN list about the format the
// page describes. Each loopback device accepts one format only, so the message says which format
// was asked about: the channel count, rate and depth from the lists, and the block align and
// bytes per second derived from them (the device refuses a record whose derived fields are off).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Input.h"
#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

const char kAccepted[] = "この設定で録音が可能です。";
const char kRefused[] =
    "WAV_INデバイスがこの設定に対応していません。\n"
    "設定かデバイスを変更してください。";

// Device 0 accepts everything, so the rate and depth lists hold every table entry; devices 1 and
// 2 each accept one format.
const char kDevices[] =
    "midiout Synth A\n"
    "wavein Anything\n"
    "wavein Mono 44k 16\n"
    "  rates 44100\n"
    "  bits 16\n"
    "  channels 1\n"
    "wavein Stereo 96k 24\n"
    "  rates 96000\n"
    "  bits 24\n"
    "  channels 2\n";

enum Channels { kMono = 0, kStereo = 1 };

class DeviceCheck : public Scenario {
protected:
    // Chooses the format by list position (rates 8000, 11025, 22050, 44100, 96000, 192000; depths
    // 8, 16, 24, 32) and presses the check button; the answer is the message's text.
    AnsiText Check(int channels, int ratePosition, int depthPosition, const std::string& picture = {}) {
        EXPECT_TRUE(SelectComboEntry(Control("channelsCombo"), channels));
        EXPECT_TRUE(SelectComboEntry(Control("sampleRateCombo"), ratePosition));
        EXPECT_TRUE(SelectComboEntry(Control("bitsCombo"), depthPosition));
        std::optional<SeenMessageBox> box = ClickForMessageBox(Control("deviceCheckButton"));
        if (!box) {
            ADD_FAILURE() << "no message box";
            return AnsiText("<none>");
        }
        EXPECT_EQ(box->caption, AnsiText("デバイスチェック"));
        EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
        EXPECT_EQ(box->owner, Main());
        if (!picture.empty()) SavePicture(box->dialog, picture);
        EXPECT_TRUE(AnswerMessageBox(*box, IDOK));
        // A good check offers to measure the pair's delay: not here.
        if (box->text == AnsiText(kAccepted)) {
            std::optional<SeenMessageBox> question = WaitForMessageBox(Run().processId(), 5000);
            EXPECT_TRUE(question && question->buttons == (std::vector<int>{IDYES, IDNO}) && AnswerMessageBox(*question, IDNO));
        }
        return box->text;
    }
};

TEST_F(DeviceCheck, AsksTheChosenDeviceAboutTheChosenFormat) {
    // The settings choose device 1 for WAVE IN; the lists still come from device 0.
    ASSERT_TRUE(Launch({CrLfLines({"C:\\", "Mono 44k 16", "Synth A"}), kDevices}));
    ASSERT_EQ(ComboSelection(Control("waveInCombo")), 1);
    ASSERT_EQ(ComboItems(Control("sampleRateCombo")).size(), 6u);
    ASSERT_EQ(ComboItems(Control("bitsCombo")).size(), 4u);
    ASSERT_TRUE(ShowPage(2));

    // Mono, 44100 Hz, 16 bits: block align 2, 88200 bytes per second.
    EXPECT_EQ(Check(kMono, 3, 1, "accepted-message"), AnsiText(kAccepted));
    EXPECT_EQ(Check(kStereo, 3, 1, "refused-message"), AnsiText(kRefused));
    EXPECT_EQ(Check(kMono, 2, 1), AnsiText(kRefused));
    EXPECT_EQ(Check(kMono, 3, 2), AnsiText(kRefused));
    EXPECT_TRUE(IsWindowVisible(Main()));

    // Device 2 chosen with the keys on the closed list (no close-up, so the lists stay).
    // Stereo, 96000 Hz, 24 bits: block align 6, 576000 bytes per second.
    ASSERT_TRUE(SelectComboEntry(Control("waveInCombo"), 2));
    EXPECT_EQ(Check(kStereo, 4, 2), AnsiText(kAccepted));
    EXPECT_EQ(Check(kMono, 4, 2), AnsiText(kRefused));
    EXPECT_EQ(Check(kStereo, 4, 3), AnsiText(kRefused));
    EXPECT_EQ(Check(kStereo, 5, 2), AnsiText(kRefused));
    // Device 0 accepts both formats.
    ASSERT_TRUE(SelectComboEntry(Control("waveInCombo"), 0));
    EXPECT_EQ(Check(kStereo, 4, 2), AnsiText(kAccepted));
    EXPECT_EQ(Check(kMono, 3, 1), AnsiText(kAccepted));
    EXPECT_TRUE(Run().Running());
}

}  // namespace
}  // namespace uidriver
