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

constexpr char kDevices[] = "midiout Synth A\nwavein Loop In A\n";

using CommandLine = Scenario;

TEST_F(CommandLine, ASongOpensAndAnythingElseIsRefused) {
    // Written before the program starts, in a folder of the run's own that its start leaves alone.
    const std::string runFolder = FolderOfThisRun();
    const std::string songFolder = runFolder + "\\曲 フォルダ";
    CreateDirectoryA(runFolder.c_str(), nullptr);
    CreateDirectoryA(songFolder.c_str(), nullptr);
    const auto bytes = solvena::test::ManyTrackSong(3);
    std::ofstream(songFolder + "\\ソング.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::string runName = runFolder.substr(runFolder.find_last_of('\\') + 1);

    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        AnsiText label;     // the song file label
        AnsiText boxNames;  // what the box's text names; empty: no box
    };
    const Case cases[] = {
        {"a full path with a blank and Japanese", {songFolder + "\\ソング.mid"}, "ソング.mid", ""},
        // The program starts in the runs folder, the run's folder's parent.
        {"a path from the working folder", {runName + "\\曲 フォルダ\\ソング.mid"}, "ソング.mid", ""},
        {"an unknown switch", {"/play", songFolder + "\\ソング.mid"}, "MIDIファイルを開いて下さい", "「/play」"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramSetup setup{std::nullopt, kDevices};
        setup.arguments = c.arguments;
        ASSERT_TRUE(Launch(setup));
        const std::optional<SeenMessageBox> box = WaitForMessageBox(Run().processId(), c.boxNames.bytes.empty() ? 500 : 5000);
        if (c.boxNames.bytes.empty()) {
            EXPECT_FALSE(box) << ToUtf8(box->text.bytes);
        } else {
            ASSERT_TRUE(box);
            EXPECT_EQ(box->caption, AnsiText("notice"));
            EXPECT_EQ(box->owner, Main());
            EXPECT_NE(box->text.bytes.find(c.boxNames.bytes), std::string::npos) << ToUtf8(box->text.bytes);
            ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
        }
        EXPECT_EQ(TextOf(Control("songFileLabel")), c.label);
        if (c.boxNames.bytes.empty()) {
            EXPECT_EQ(TextOf(Control("trackToggles 2")), AnsiText("Track 2"));
            EXPECT_EQ(TextOf(Control("trackToggles 3")), AnsiText("未定義のトラック"));
        }
    }
}

}  // namespace
}  // namespace uidriver
