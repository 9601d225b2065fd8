// The drive the free-space question names: the one the user typed, whatever it stands for.
#include <gtest/gtest.h>

#include "engine/TypedDrive.h"

namespace solvena {
namespace {

TEST(TypedDrive, NamesTheRootAsTheUserTypedIt) {
    const struct {
        const char* typed;
        const char* resolved;  // through the drive letter
        const char* root;      // of the volume the resolved path lies on
        const char* shown;
    } cases[] = {
        {"C:\\takes\\a.wav", "C:\\takes\\a.wav", "C:\\", "C:\\"},
        {"S:\\takes\\a.wav", "C:\\songs\\takes\\a.wav", "C:\\", "S:\\"},
        {"N:\\a.wav", "\\\\nas\\music\\a.wav", "\\\\nas\\music\\", "N:\\"},
        {"\\\\nas\\music\\a.wav", "\\\\nas\\music\\a.wav", "\\\\NAS\\music\\", "\\\\nas\\music\\"},
        // A volume mounted in a folder, reached directly and through a subst letter.
        {"C:\\mnt\\disk\\a.wav", "C:\\mnt\\disk\\a.wav", "C:\\mnt\\disk\\", "C:\\mnt\\disk\\"},
        {"S:\\disk\\a.wav", "C:\\mnt\\disk\\a.wav", "c:\\MNT\\disk\\", "S:\\disk\\"},
        // A root the resolved path does not start with (another spelling): the typed drive.
        {"S:\\disk\\a.wav", "C:\\mnt\\disk\\a.wav", "C:\\MOUNT~1\\disk\\", "S:\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(TypedDrive(c.typed, c.resolved, c.root), c.shown) << c.typed << " " << c.root;
}

}  // namespace
}  // namespace solvena
