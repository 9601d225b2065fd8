// The device settings page's lists: device entries, the rate and depth lists probed on the probe
// device (device 0 until the WAVE IN list closes), and their refill when the WAVE IN list closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Input.h"
#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

using Items = std::vector<AnsiText>;

const Items kAllRates = {"8000Hz", "11025Hz", "22050Hz", "44100Hz", "96000Hz", "192000Hz"};
const Items kAllDepths = {"8 bit", "16 bit", "24 bit", "32 bit"};

class DeviceLists : public Scenario {
protected:
    HWND Rates() { return Control("sampleRateCombo"); }
    HWND Depths() { return Control("bitsCombo"); }
    HWND WaveIn() { return Control("waveInCombo"); }

    // The rate and depth lists with their selections (-1: none).
    void ExpectFormats(const Items& rates, int rateSelection, const Items& depths, int depthSelection) {
        EXPECT_EQ(ComboItems(Rates()), rates);
        EXPECT_EQ(ComboSelection(Rates()), rateSelection);
        EXPECT_EQ(ComboItems(Depths()), depths);
        EXPECT_EQ(ComboSelection(Depths()), depthSelection);
    }

    // Picks WAVE IN entry `device` in its list and closes the list, as a person does.
    ::testing::AssertionResult ChooseWaveIn(int device) {
        if (!SelectComboEntry(WaveIn(), device)) return ::testing::AssertionFailure() << "no entry " << device;
        if (!DropDownAndClose(WaveIn())) return ::testing::AssertionFailure() << "the list did not open and close";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(DeviceLists, EntriesNumberedInDeviceOrder) {
    ASSERT_TRUE(Launch({std::nullopt,
                        "midiout Synth A\n"
                        "midiout ループバック音源\n"
                        "midiout Loopback Synth with a long name\n"
                        "wavein Loop In A\n"
                        "wavein Line In 2  (rear)\n"}));
    EXPECT_EQ(ComboItems(Control("midiOutCombo")),
              (Items{"0: Synth A", "1: ループバック音源", "2: Loopback Synth with a long name"}));
    EXPECT_EQ(ComboItems(WaveIn()), (Items{"0: Loop In A", "1: Line In 2  (rear)"}));
    EXPECT_EQ(ComboSelection(Control("midiOutCombo")), 0);
    EXPECT_EQ(ComboSelection(WaveIn()), 0);
    // A device that accepts everything offers every table entry.
    ExpectFormats(kAllRates, 3, kAllDepths, 1);
    EXPECT_EQ(ComboItems(Control("channelsCombo")), (Items{"MONORAL", "STEREO"}));
    EXPECT_EQ(ComboSelection(Control("channelsCombo")), 1);
    // A picture of the MIDI OUT list open, for the Japanese and the longest name.
    ASSERT_TRUE(ShowPage(2));
    ASSERT_TRUE(DropDown(Control("midiOutCombo")));
    SavePicture(Main(), "midi-out-list");
    ASSERT_TRUE(CloseDropDown(Control("midiOutCombo")));
    EXPECT_EQ(ComboSelection(Control("midiOutCombo")), 0);
}

TEST_F(DeviceLists, ProbingStopsAtTheFirstRefusal) {
    // 96000 Hz and 24 bits are refused; 192000 Hz and 32 bits would be accepted but are never tried.
    ASSERT_TRUE(Launch({std::nullopt,
                        "midiout Synth A\n"
                        "wavein Gappy\n"
                        "  rates 8000-44100, 192000\n"
                        "  bits 8-16, 32\n"}));
    ExpectFormats({"8000Hz", "11025Hz", "22050Hz", "44100Hz"}, 3, {"8 bit", "16 bit"}, 1);
}

TEST_F(DeviceLists, ProbeDeviceIsDeviceZeroUntilTheWaveInListCloses) {
    // The settings preselect "Wide", but the lists at start-up are those of device 0, which
    // lacks the initial positions, so they start without a selection.
    ASSERT_TRUE(Launch({CrLfLines({"C:\\midi\\", "Wide", ""}),
                        "midiout Synth A\n"
                        "wavein Narrow\n"
                        "  rates 8000-22050\n"
                        "  bits 8\n"
                        "wavein Wide\n"
                        "wavein Mono only\n"
                        "  channels 1\n"}));
    EXPECT_EQ(ComboSelection(WaveIn()), 1);
    const Items narrowRates = {"8000Hz", "11025Hz", "22050Hz"};
    ExpectFormats(narrowRates, -1, {"8 bit"}, -1);

    ASSERT_TRUE(ShowPage(2));
    ASSERT_TRUE(DropDownAndClose(WaveIn()));
    EXPECT_EQ(ComboSelection(WaveIn()), 1);
    ExpectFormats(kAllRates, 3, kAllDepths, 1);

    ASSERT_TRUE(ChooseWaveIn(0));
    ExpectFormats(narrowRates, -1, {"8 bit"}, -1);
    // Every probe is stereo: a mono-only device leaves both lists empty.
    ASSERT_TRUE(ChooseWaveIn(2));
    ExpectFormats({}, -1, {}, -1);
    ASSERT_TRUE(ChooseWaveIn(1));
    ExpectFormats(kAllRates, 3, kAllDepths, 1);
}

TEST_F(DeviceLists, ClosingTheWaveInListResetsRateAndDepth) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Synth A\nmidiout Synth B\nwavein Loop In A\n"}));
    ASSERT_TRUE(ShowPage(2));
    ASSERT_TRUE(SelectComboEntry(Rates(), 2));  // 22050Hz
    ASSERT_TRUE(SelectComboEntry(Depths(), 0));  // 8 bit
    ASSERT_TRUE(SelectComboEntry(Control("channelsCombo"), 0));
    ASSERT_TRUE(SelectComboEntry(Control("midiOutCombo"), 1));
    // Closing the list without choosing another device still refills.
    ASSERT_TRUE(DropDownAndClose(WaveIn()));
    ExpectFormats(kAllRates, 3, kAllDepths, 1);
    EXPECT_EQ(ComboSelection(Control("channelsCombo")), 0) << "the channel list is not touched";
    EXPECT_EQ(ComboSelection(Control("midiOutCombo")), 1);
    EXPECT_EQ(ComboSelection(WaveIn()), 0);
}

TEST_F(DeviceLists, NoDevicesAtAll) {
    // No device file: a system without MIDI OUT and WAVE IN devices.
    ASSERT_TRUE(Launch({std::nullopt, std::nullopt}));
    EXPECT_EQ(ComboItems(Control("midiOutCombo")), Items{});
    EXPECT_EQ(ComboSelection(Control("midiOutCombo")), -1);
    EXPECT_EQ(ComboItems(WaveIn()), Items{});
    EXPECT_EQ(ComboSelection(WaveIn()), -1);
    ExpectFormats({}, -1, {}, -1);
    EXPECT_EQ(ComboSelection(Control("channelsCombo")), 1);

    ASSERT_TRUE(ShowPage(2));
    ASSERT_TRUE(DropDownAndClose(WaveIn()));
    ExpectFormats({}, -1, {}, -1);
    // The check has nothing to ask about: it must say so, not claim the format works.
    std::optional<SeenMessageBox> box = ClickForMessageBox(Control("deviceCheckButton"));
    ASSERT_TRUE(box) << "the device check showed nothing";
    EXPECT_EQ(box->caption, AnsiText("デバイスチェック"));
    EXPECT_NE(box->text, AnsiText("この設定で録音が可能です。"));
    EXPECT_TRUE(AnswerMessageBox(*box, IDOK));
    EXPECT_TRUE(Run().Running());
}

}  // namespace
}  // namespace uidriver
