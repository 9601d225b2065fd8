// The names a file has: subst drives that stand for a folder on a share, and paths whose
// double-byte characters end in the separator's byte.
#include <gtest/gtest.h>

#include <string>

#include "engine/DrivePaths.h"

namespace solvena {
namespace {

// ソ is 0x83 0x5C and 表 0x95 0x5C in code page 932.
TEST(DrivePaths, SubstFoldersOnAShareAndDoubleByteNames) {
    const struct {
        const char* path;
        const char* target;  // QueryDosDevice's answer for the path's drive letter
        const char* resolved;
    } cases[] = {
        {"S:\\takes\\a.wav", "\\??\\UNC\\nas\\music\\songs", "\\\\nas\\music\\songs\\takes\\a.wav"},
        {"S:\\a.wav", "\\??\\UNC\\nas\\music\\", "\\\\nas\\music\\a.wav"},
        {"S:\\a.wav", "\\??\\UNC\\", "S:\\a.wav"},
        {"Q:\\a.wav", "\\??\\C:\\\x83\x5C", "C:\\\x83\x5C\\a.wav"},
        {"S:\\a.wav", "\\??\\UNC\\nas\\music\\\x95\x5C", "\\\\nas\\music\\\x95\x5C\\a.wav"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathThroughDrive(c.path, c.target), c.resolved) << c.path << " " << c.target;
}

TEST(DrivePaths, TheLastSeparatorIsFoundByCharacters) {
    const struct {
        const char* path;
        std::size_t separator;
    } cases[] = {
        {"C:\\takes\\a.wav", 8},
        {"C:\\takes\\\x83\x5C.wav", 8},           // a name holding ソ
        {"C:\\takes\\\x95\x5C", 8},               // a name that is 表
        {"C:\\\x95\x5C\\\x83\x5C\x83\x5C.wav", 5},  // 表 as a folder
        {"C:/takes/a.wav", 8},
        {"\x83\x5C.wav", std::string::npos},
        {"", std::string::npos},
        {"C:\\takes\\\x83", 8},  // a lead byte cut off at the end
    };
    for (const auto& c : cases) EXPECT_EQ(LastSeparator(c.path), c.separator) << c.path;
}

}  // namespace
}  // namespace solvena
