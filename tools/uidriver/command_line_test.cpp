// The program started with a command line, as Explorer starts it for "open with" or a file dropped
// on its icon: the song opens as 開く opens one, and anything not understood is refused in a box.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "MessageBoxes.h"
#include "Query.h"
#include "Scenario.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

using CommandLine = Scenario;

TEST_F(CommandLine, ASongOpensAndAnythingElseIsRefused) {
    // In a folder of its own, which the program's start leaves alone.
    const std::string folder = FolderOfThisRun() + "\\曲 フォルダ";
    CreateDirectoryA(FolderOfThisRun().c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string song = folder + "\\ソング.mid";
    const auto bytes = solvena::test::ManyTrackSong(3);
    std::ofstream(song, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));

    struct Case {
        std::vector<std::string> arguments;
        AnsiText label;
        AnsiText boxNames;  // what the box's text names; empty: no box
    };
    const Case cases[] = {
        {{song}, "ソング.mid", ""},
        {{"/play", song}, "MIDIファイルを開いて下さい", "「/play」"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        ProgramSetup setup{std::nullopt, "midiout Synth A\nwavein Loop In A\n"};
        setup.arguments = c.arguments;
        ASSERT_TRUE(Launch(setup));
        const auto box = WaitForMessageBox(Run().processId(), c.boxNames.bytes.empty() ? 500 : 5000);
        ASSERT_EQ(box.has_value(), !c.boxNames.bytes.empty());
        if (box) {
            EXPECT_EQ(box->caption, AnsiText("notice"));
            EXPECT_EQ(box->owner, Main());
            EXPECT_NE(box->text.bytes.find(c.boxNames.bytes), std::string::npos) << ToUtf8(box->text.bytes);
            ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
        } else {
            EXPECT_EQ(TextOf(Control("trackToggles 2")), AnsiText("Track 2"));
        }
        EXPECT_EQ(TextOf(Control("songFileLabel")), c.label);
    }
}

}  // namespace
}  // namespace uidriver
