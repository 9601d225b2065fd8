// The release package as a user gets it: its solvena.exe started where the package was unpacked,
// and the version Explorer shows in the file's properties. These run only when the driver is given
// --package=<unpacked folder> (the package step of scripts/test); otherwise they are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "Options.h"
#include "ProgramRun.h"
#include "Query.h"
#include "Screenshot.h"

namespace uidriver {
namespace {

class Package : public ::testing::Test {
protected:
    void SetUp() override {
        if (CurrentOptions().packageFolder.empty()) GTEST_SKIP() << "no --package= folder given";
    }
    static std::string Exe() { return CurrentOptions().packageFolder + "\\solvena.exe"; }
};

// The whole version resource of a file, read as Explorer reads it.
std::vector<char> VersionResource(const std::string& path) {
    std::wstring widePath(path.size() + 1, L'\0');
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), static_cast<int>(widePath.size()));
    widePath.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);  // without the terminator
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoW(widePath.c_str(), 0, size, info.data())) info.clear();
    return info;
}

// The value at `key`; nullptr when there is none.
const void* ValueAt(const std::vector<char>& info, const std::wstring& key, UINT* length) {
    void* value = nullptr;
    if (!VerQueryValueW(info.data(), key.c_str(), &value, length)) return nullptr;
    return value;
}

// The strings of the Japanese block; an empty expected text means any text will do, but there must
// be one.
struct ExpectedString {
    const wchar_t* name;
    const wchar_t* text;
};
constexpr ExpectedString kStrings[] = {
    {L"ProductName", L"ソルベーナ"},
    {L"ProductVersion", L"1.00 beta"},
    {L"FileVersion", L"1.00 beta"},
    {L"OriginalFilename", L"solvena.exe"},
    {L"InternalName", L"solvena"},
    {L"FileDescription", L""},
    {L"LegalCopyright", L""},
};

TEST_F(Package, StartsWhereUnpackedAndEndsWithExitCodeOne) {
    ProgramRun run;
    std::string error;
    // Started from another working folder: whatever it needs must lie beside it or be the system's.
    ASSERT_TRUE(run.StartInPlace(Exe(), CurrentOptions().runsFolder, &error)) << error;
    EXPECT_EQ(TextOf(run.mainWindow()), AnsiText("ソルベーナ version 1.00(beta)"));
    EXPECT_TRUE(IsWindowVisible(run.mainWindow()));
    EXPECT_TRUE(SaveWindowPicture(run.mainWindow(), CurrentOptions().shotsFolder + "\\Package-main-window.bmp"));

    DWORD exitCode = 0;
    ASSERT_TRUE(run.CloseMainWindow(5000, &exitCode)) << "the program did not end when its main window closed";
    EXPECT_EQ(exitCode, 1u) << "the entry point returns 1 after its message loop";
}

TEST_F(Package, VersionResourceReadsBackInJapanese) {
    const std::vector<char> info = VersionResource(Exe());
    ASSERT_FALSE(info.empty()) << "no version resource (error " << GetLastError() << ")";

    UINT length = 0;
    const auto* translation = static_cast<const WORD*>(ValueAt(info, L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x411) << "language";
    EXPECT_EQ(translation[1], 932) << "code page";

    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(ValueAt(info, L"\\", &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "1.0";
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_NE(fixed->dwFileFlags & fixed->dwFileFlagsMask & VS_FF_PRERELEASE, 0u) << "a beta is a pre-release";
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    for (const ExpectedString& expected : kStrings) {
        SCOPED_TRACE(std::string(expected.name, expected.name + std::wcslen(expected.name)));
        const auto* text = static_cast<const wchar_t*>(
            ValueAt(info, std::wstring(L"\\StringFileInfo\\041103A4\\") + expected.name, &length));
        ASSERT_NE(text, nullptr) << "missing";
        const std::wstring value(text, wcsnlen(text, length));
        if (*expected.text != L'\0') {
            EXPECT_EQ(value, expected.text);
        } else {
            EXPECT_FALSE(value.empty());
        }
    }
}

}  // namespace
}  // namespace uidriver
