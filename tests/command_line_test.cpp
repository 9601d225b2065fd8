// The command line at start-up: a song to open, a job list to record, and everything refused.
#include "app/model/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solvena {
namespace {

using enum StartRequestKind;

TEST(CommandLine, EachFormItsRequestAndEveryOtherRefusedNamingWhatWasNotUnderstood) {
    // "ソ" is 0x83 0x5C in code page 932: its trail byte looks like the separator.
    const std::string song = "C:\\\x8B\xC8 folder\\\x83\x5C\x83\x93\x83\x4F.mid";
    struct Case {
        std::vector<std::string> args;
        StartRequestKind kind;
        std::string path;
        bool overwrite;
        bool wantedRun;
        std::string named;  // what a refusal's first line must name
    };
    const Case cases[] = {
        {{}, none, "", false, false, ""},
        {{song}, openSong, song, false, false, ""},
        {{"/run", "a.list"}, runList, "a.list", false, true, ""},
        {{"/RUN", "a.list", "/Overwrite"}, runList, "a.list", true, true, ""},
        {{"/overwrite", "/run", song}, runList, song, true, true, ""},
        {{"a.mid", "b.mid"}, refused, "", false, false, "「b.mid」"},
        {{"/x", "a.mid"}, refused, "", false, false, "「/x」"},
        {{"/runs", "a.list"}, refused, "", false, false, "「/runs」"},
        {{"a.mid", ""}, refused, "", false, false, "「」"},
        {{"/run", "a.list", "b.list"}, refused, "a.list", false, true, "「b.list」"},  // reported beside a.list
        {{"/run"}, refused, "", false, true, "/run"},
        {{"/overwrite", "a.mid"}, refused, "", false, false, "/overwrite"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += "[" + arg + "]";
        SCOPED_TRACE(line);
        const StartRequest request = ParseCommandLine(c.args);
        EXPECT_EQ(request.kind, c.kind);
        EXPECT_EQ(request.path, c.path);
        EXPECT_EQ(request.overwrite, c.overwrite);
        EXPECT_EQ(request.wantedRun, c.wantedRun);
        if (c.kind == refused) {
            const std::size_t lineEnd = request.refusal.find('\n');
            ASSERT_NE(lineEnd, std::string::npos) << "what is accepted follows: " << request.refusal;
            EXPECT_NE(request.refusal.substr(0, lineEnd).find(c.named), std::string::npos) << request.refusal;
            EXPECT_NE(request.refusal.find("/run", lineEnd), std::string::npos) << request.refusal;
        } else {
            EXPECT_EQ(request.refusal, "");
        }
    }
}

}  // namespace
}  // namespace solvena
