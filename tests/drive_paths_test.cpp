// The names a file has: subst drives that stand for a folder on a share, paths whose double-byte
// characters end in the separator's byte, and the drive the free-space question names.
#include <gtest/gtest.h>

#include <string>

#include "engine/DrivePaths.h"
#include "engine/TypedDrive.h"

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
        {"S:\\a.wav", "\\??\\UNC\\", "S:\\a.wav"},
        {"Q:\\a.wav", "\\??\\C:\\\x83\x5C", "C:\\\x83\x5C\\a.wav"},
        {"S:\\a.wav", "\\??\\UNC\\nas\\music\\\x95\x5C", "\\\\nas\\music\\\x95\x5C\\a.wav"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathThroughDrive(c.path, c.target), c.resolved) << c.path << " " << c.target;
    const struct {
        const char* path;
        std::size_t separator;
    } names[] = {
        {"C:\\takes\\\x83\x5C.wav", 8},           // a name holding ソ
        {"C:\\takes\\\x95\x5C", 8},               // a name that is 表
        {"C:\\\x95\x5C\\\x83\x5C\x83\x5C.wav", 5},  // 表 as a folder
        {"\x83\x5C.wav", std::string::npos},
        {"C:\\takes\\\x83", 8},  // a lead byte cut off at the end
    };
    for (const auto& c : names) EXPECT_EQ(LastSeparator(c.path), c.separator) << c.path;
}

TEST(DrivePaths, TheFreeSpaceQuestionNamesTheDriveAsTyped) {
    const struct {
        const char* typed;
        const char* resolved;  // through the drive letter
        const char* root;      // of the volume the resolved path lies on
        const char* shown;
    } cases[] = {
        {"S:\\takes\\a.wav", "C:\\songs\\takes\\a.wav", "C:\\", "S:\\"},
        {"N:\\a.wav", "\\\\nas\\music\\a.wav", "\\\\nas\\music\\", "N:\\"},
        {"\\\\nas\\music\\a.wav", "\\\\nas\\music\\a.wav", "\\\\NAS\\music\\", "\\\\nas\\music\\"},
        // A volume mounted in a folder, reached through a subst letter.
        {"S:\\disk\\a.wav", "C:\\mnt\\disk\\a.wav", "c:\\MNT\\disk\\", "S:\\disk\\"},
        // A root the resolved path does not start with (another spelling): the typed drive.
        {"S:\\disk\\a.wav", "C:\\mnt\\disk\\a.wav", "C:\\MOUNT~1\\disk\\", "S:\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(TypedDrive(c.typed, c.resolved, c.root), c.shown) << c.typed << " " << c.root;
}

}  // namespace
}  // namespace solvena
