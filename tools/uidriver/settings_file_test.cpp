// general.ini beside the program chooses the WAVE IN (line 2) and MIDI OUT (line 3) devices by
// their exact names; the lists then start on those devices, or on device 0 when nothing matches.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Query.h"
#include "Scenario.h"

namespace uidriver {
namespace {

const char kDevices[] =
    "midiout Synth A\n"
    "midiout Synth B\n"
    "midiout シンセ Ｃ\n"
    "wavein Loop In A\n"
    "wavein Loop In B\n"
    "wavein Loop In B \n"  // the same name with a blank at its end is another name
    "wavein マイク\n";

const char kTwins[] =
    "midiout Solo\n"
    "midiout Alone\n"
    "midiout Twin\n"
    "midiout Twin\n"
    "wavein Solo\n"
    "wavein Twin\n"
    "wavein Alone\n"
    "wavein Twin\n";

struct SettingsCase {
    const char* name;
    std::optional<std::string> generalIni;
    const char* devices;
    int waveIn;
    int midiOut;
    std::string exeName;
};

void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }

const SettingsCase kCases[] = {
    {"NoFile", std::nullopt, kDevices, 0, 0, {}},
    {"ExactNames", CrLfLines({"C:\\midi\\", "Loop In B", "シンセ Ｃ"}), kDevices, 1, 2, {}},
    {"LfLineEnds", std::string("D:\\\nマイク\nSynth B\n"), kDevices, 3, 1, {}},
    {"NoEndAfterTheLastLine", std::string("D:\\\r\nLoop In A\r\nSynth B"), kDevices, 0, 1, {}},
    // The folder line holds a device name; the devices must still stay at 0.
    {"OneLineOnly", std::string("Loop In B"), kDevices, 0, 0, {}},
    {"CaseDiffers", CrLfLines({"C:\\", "loop in b", "SYNTH B"}), kDevices, 0, 0, {}},
    {"TrailingBlanksPreventAMatch", CrLfLines({"C:\\", "マイク ", "Synth B  "}), kDevices, 0, 0, {}},
    {"TrailingBlankNamesTheOtherDevice", CrLfLines({"C:\\", "Loop In B ", "Synth A"}), kDevices, 2, 0, {}},
    {"PrefixIsNoMatch", CrLfLines({"C:\\", "Loop In", "Synth"}), kDevices, 0, 0, {}},
    {"DuplicateNamesTakeTheLowerNumber", CrLfLines({"C:\\", "Twin", "Twin"}), kTwins, 1, 2, {}},
    // The program's folder is found by the last separator of its path, and the second byte of
    // "表" (0x5C) is no separator.
    {"ProgramNameWithSeparatorByte", CrLfLines({"C:\\", "Loop In B", "Synth B"}), kDevices, 1, 1,
     "ソルベーナ表.exe"},
};

class SettingsFile : public Scenario, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsFile, SelectsDevicesByExactName) {
    const SettingsCase& c = GetParam();
    ASSERT_TRUE(Launch({c.generalIni, std::string(c.devices)}, c.exeName));
    EXPECT_EQ(ComboSelection(Control("waveInCombo")), c.waveIn);
    EXPECT_EQ(ComboSelection(Control("midiOutCombo")), c.midiOut);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SettingsCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace uidriver
