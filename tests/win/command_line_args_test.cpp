// The command line's arguments as the program reads them: split from the system's wide text as the
// shell quotes them, then turned into code page 932 whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Startup.h"

namespace solvena {
namespace {

TEST(CommandLineArguments, QuotedBlanksAndDoubleByteNamesArriveWhole) {
    struct Case {
        const wchar_t* line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {L"solvena.exe", {}},
        {L"solvena.exe \"C:\\曲 フォルダ\\ソング.mid\"", {"C:\\曲 フォルダ\\ソング.mid"}},
        // "ソ" ends in the byte 0x5C: before a closing quote, a parser of the code page's bytes
        // would read it as an escaped quote.
        {L"solvena.exe \"C:\\フォルダ\\ソ\" next", {"C:\\フォルダ\\ソ", "next"}},
        {L"\"C:\\Program Files\\solvena.exe\" /run D:\\リスト\\夜.list /overwrite",
         {"/run", "D:\\リスト\\夜.list", "/overwrite"}},
        // No look-alike for a character the code page lacks: it could name another file.
        {L"solvena.exe C:\\caf\u00e9.mid", {"C:\\caf?.mid"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        EXPECT_EQ(app::ArgumentsOf(c.line), c.arguments);
    }
}

}  // namespace
}  // namespace solvena
