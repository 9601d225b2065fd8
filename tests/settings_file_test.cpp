// general.ini and the program folder: lines, limits, line ends and device names.
#include "app/model/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace solvena {
namespace {

using Names = std::vector<std::string>;

TEST(ProgramFolder, CutsTheFileNameAndItsSeparator) {
    EXPECT_EQ(ProgramFolderOf("C:\\tools\\rec\\x.exe"), "C:\\tools\\rec");
    EXPECT_EQ(ProgramFolderOf("C:\\x.exe"), "C:");
    EXPECT_EQ(ProgramFolderOf("\\\\server\\share\\rec.exe"), "\\\\server\\share");
    EXPECT_EQ(ProgramFolderOf("x.exe"), "");
    EXPECT_EQ(ProgramFolderOf(""), "");
}

TEST(ProgramFolder, TrailByteOfADoubleByteCharacterIsNoSeparator) {
    // "ソ" is 0x83 0x5C in code page 932: its second byte looks like "\".
    EXPECT_EQ(ProgramFolderOf("C:\\dir\\\x83\x5C.exe"), "C:\\dir");
    EXPECT_EQ(ProgramFolderOf("C:\\\x83\x5C\\x.exe"), "C:\\\x83\x5C");
    EXPECT_EQ(ProgramFolderOf("C:\\\x83\x5C\x83\x5C"), "C:");
}

TEST(ProgramFolder, PathsBesideTheProgramFitOrAreLeftEmpty) {
    EXPECT_EQ(InstrumentsPathOf("C:\\rec"), "C:\\rec\\instruments.ini");
    EXPECT_EQ(SettingsPathOf("C:\\rec"), "C:\\rec\\general.ini");
    EXPECT_EQ(SettingsPathOf(""), "");
    EXPECT_EQ(InstrumentsPathOf(""), "");

    // 255 usable characters: "\instruments.ini" is 16 of them, "\general.ini" 12.
    const std::string longest(255 - 16, 'a');
    EXPECT_EQ(InstrumentsPathOf(longest).size(), 255u);
    EXPECT_EQ(InstrumentsPathOf(longest + "b"), "");
    EXPECT_EQ(SettingsPathOf(longest + "bbbb").size(), 255u);
    EXPECT_EQ(SettingsPathOf(longest + "bbbbb"), "");
}

TEST(SettingsLines, ThreeLinesWithEitherLineEnd) {
    for (const char* text : {"D:\\midi\\\nIn\nOut\n", "D:\\midi\\\r\nIn\r\nOut\r\n", "D:\\midi\\\r\nIn\nOut"}) {
        SCOPED_TRACE(text);
        const SettingsLines lines = ParseSettingsLines(text);
        EXPECT_EQ(lines.startFolder, "D:\\midi\\");
        EXPECT_EQ(lines.waveInName, "In");
        EXPECT_EQ(lines.midiOutName, "Out");
    }
}

TEST(SettingsLines, MissingLinesDifferFromBlankOnes) {
    const SettingsLines oneLine = ParseSettingsLines("D:\\midi\\\r\n");
    EXPECT_EQ(oneLine.startFolder, "D:\\midi\\");
    EXPECT_FALSE(oneLine.waveInName.has_value());
    EXPECT_FALSE(oneLine.midiOutName.has_value());

    const SettingsLines blanks = ParseSettingsLines("\n\r\nOut");
    EXPECT_EQ(blanks.startFolder, "");
    EXPECT_EQ(blanks.waveInName, "");
    EXPECT_EQ(blanks.midiOutName, "Out");

    const SettingsLines empty = ParseSettingsLines("");
    EXPECT_FALSE(empty.startFolder.has_value());
    EXPECT_FALSE(empty.waveInName.has_value());
}

TEST(SettingsLines, LinesAtTheirLimitsAreWhole) {
    const std::string folder(255, 'f');
    const std::string name(63, 'n');
    const SettingsLines lines = ParseSettingsLines(folder + "\r\n" + name + "\r\n" + name + "\r\n");
    EXPECT_EQ(lines.startFolder, folder);
    EXPECT_EQ(lines.waveInName, name);
    EXPECT_EQ(lines.midiOutName, name);
}

TEST(SettingsLines, AnOverLongLineIsCutAndEndsTheFile) {
    const SettingsLines longFolder = ParseSettingsLines(std::string(256, 'f') + "\nIn\nOut\n");
    EXPECT_EQ(longFolder.startFolder, std::string(255, 'f'));
    EXPECT_FALSE(longFolder.waveInName.has_value());
    EXPECT_FALSE(longFolder.midiOutName.has_value());

    const SettingsLines longName = ParseSettingsLines("F\n" + std::string(63, 'n') + "X\r\nOut\n");
    EXPECT_EQ(longName.startFolder, "F");
    EXPECT_EQ(longName.waveInName, std::string(63, 'n'));
    EXPECT_FALSE(longName.midiOutName.has_value());

    // A CR that is not followed by LF belongs to the line and can make it too long.
    const SettingsLines lateCr = ParseSettingsLines("F\n" + std::string(63, 'n') + "\rOut\n");
    EXPECT_EQ(lateCr.waveInName, std::string(63, 'n'));
    EXPECT_FALSE(lateCr.midiOutName.has_value());

    // The last line has no line after it to lose.
    const SettingsLines longLast = ParseSettingsLines("F\nI\n" + std::string(100, 'o'));
    EXPECT_EQ(longLast.midiOutName, std::string(63, 'o'));
}

TEST(DeviceNames, WholeLineExactAndCaseSensitive) {
    const Names names = {"Line In", "USB Audio", "line in", "Mic"};
    EXPECT_EQ(MatchDeviceName(std::string("USB Audio"), names), 1u);
    EXPECT_EQ(MatchDeviceName(std::string("line in"), names), 2u);
    EXPECT_EQ(MatchDeviceName(std::string("LINE IN"), names), 0u);
    EXPECT_EQ(MatchDeviceName(std::string("Mic "), names), 0u);
    EXPECT_EQ(MatchDeviceName(std::string(" Mic"), names), 0u);
    EXPECT_EQ(MatchDeviceName(std::string("Mi"), names), 0u);
    EXPECT_EQ(MatchDeviceName(std::string("Mic"), names), 3u);
}

TEST(DeviceNames, LowestNumberWinsAndNothingMeansDeviceZero) {
    const Names names = {"A", "Twin", "B", "Twin"};
    EXPECT_EQ(MatchDeviceName(std::string("Twin"), names), 1u);
    EXPECT_EQ(MatchDeviceName(std::nullopt, names), 0u);
    EXPECT_EQ(MatchDeviceName(std::string("Twin"), Names{}), 0u);
    // A blank line names a device whose name is blank, and no other.
    EXPECT_EQ(MatchDeviceName(std::string(""), Names{"A", ""}), 1u);
    EXPECT_EQ(MatchDeviceName(std::string(""), Names{"A", "B"}), 0u);
}

class SettingsFileOnDisk : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path); }

    void Write(const std::string& bytes) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }

    // One file per test: ctest runs tests of this fixture side by side.
    std::string path = (std::filesystem::temp_directory_path() /
                        (std::string("solvena-general-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini"))
                           .string();
};

TEST_F(SettingsFileOnDisk, ReadsTheLinesAsBytes) {
    Write("D:\\\x83\x5C\\\r\n\x83\x56\x83\x93\x83\x5A\r\nOut\r\nmore\r\n");
    const SettingsLines lines = ReadSettingsFile(path);
    EXPECT_EQ(lines.startFolder, "D:\\\x83\x5C\\");
    EXPECT_EQ(lines.waveInName, "\x83\x56\x83\x93\x83\x5A");
    EXPECT_EQ(lines.midiOutName, "Out");
}

TEST_F(SettingsFileOnDisk, FullLengthLinesAreReadWhole) {
    const std::string folder(255, 'f');
    const std::string name(63, 'n');
    Write(folder + "\r\n" + name + "\r\n" + name + "\r\n" + std::string(5000, 'x'));
    const SettingsLines lines = ReadSettingsFile(path);
    EXPECT_EQ(lines.startFolder, folder);
    EXPECT_EQ(lines.waveInName, name);
    EXPECT_EQ(lines.midiOutName, name);
}

TEST_F(SettingsFileOnDisk, MissingFileOrPathReadsNothing) {
    for (const std::string& missing : {path, std::string()}) {
        const SettingsLines lines = ReadSettingsFile(missing);
        EXPECT_FALSE(lines.startFolder.has_value());
        EXPECT_FALSE(lines.waveInName.has_value());
        EXPECT_FALSE(lines.midiOutName.has_value());
    }
}

}  // namespace
}  // namespace solvena
