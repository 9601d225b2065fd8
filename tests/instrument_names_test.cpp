// Instrument names: the record scan, the per-device file, its path, and the shipped names file.
#include "app/model/InstrumentNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace solvena {
namespace {

struct Lookup {
    std::int32_t msb, lsb, program;
    std::string name;
};

class NamesFiles : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& path : written) std::filesystem::remove(path);
    }

    // A path in the temporary folder that no other test (or test process) uses.
    static std::string PathFor(const std::string& tag) {
        const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
        return (std::filesystem::temp_directory_path() / (std::string("solvena-names-") + run.current_test_info()->name() +
                                                          "-" + tag + "-" + std::to_string(run.random_seed()) + ".ini"))
            .string();
    }

    std::string Write(const std::string& tag, const std::string& bytes) {
        written.push_back(PathFor(tag));
        std::ofstream(written.back(), std::ios::binary) << bytes;
        return written.back();
    }

    void ExpectLookups(const std::string& bytes, const std::vector<Lookup>& table) {
        const std::string path = Write("lookup", bytes);
        for (const Lookup& row : table) {
            SCOPED_TRACE(std::to_string(row.msb) + " " + std::to_string(row.lsb) + " " + std::to_string(row.program));
            EXPECT_EQ(LookupInstrumentName(path, row.msb, row.lsb, row.program), row.name);
        }
    }

    std::vector<std::string> written;
};

TEST_F(NamesFiles, TheKeyIsBothBanksAndTheProgramPlusOne) {
    // Program change 0 is program 1; a track without a program change has no key.
    ExpectLookups("0 0 0 0 Zero\n0 0 1 0 One\n0 0 2 0 Two\n1 1 2 0 BankOne\n0 5 2 0 Lsb5\n7 0 2 0 Msb7\n",
                  {{0, 0, kNoProgram, ""}, {0, 0, 0, "One"}, {0, 0, 1, "Two"}, {1, 1, 1, "BankOne"},
                   {0, 5, 1, "Lsb5"}, {7, 0, 1, "Msb7"}, {5, 0, 1, ""}, {1, 0, 1, ""}, {0, 0, 2, ""}});
}

TEST_F(NamesFiles, TheFirstMatchingRecordWins) {
    ExpectLookups("0 0 3 0 First\n0 0 3 9 Second\n0 0 4 0 Other\n0 0 3 0 Third\n",
                  {{0, 0, 2, "First"}, {0, 0, 3, "Other"}});
}

TEST_F(NamesFiles, RecordsAreWordsSeparatedByAnyWhiteSpace) {
    ExpectLookups("  0\t0\r\n2\n\n  -7 Tabbed\r\n"
                  "\v+1\f1 3 0\r\n\r\n    Signs\r\n"
                  "2 2 5 0Glued 3 3 6 0 \x83\x5C\x83\x8B",  // a word may follow digits directly
                  {{0, 0, 1, "Tabbed"}, {1, 1, 2, "Signs"}, {2, 2, 4, "Glued"}, {3, 3, 5, "\x83\x5C\x83\x8B"}});
}

TEST_F(NamesFiles, AnIntegerThatCannotBeReadEndsTheScan) {
    for (const char* bad : {"x 0 3 0 Bad\n", "0 0 3 - Bad\n", "0 0 +x 0 Bad\n", "0 0 3.5 0 Bad\n"}) {
        SCOPED_TRACE(bad);
        ExpectLookups(std::string("0 0 2 0 Before\n") + bad + "0 0 3 0 After\n", {{0, 0, 1, "Before"}, {0, 0, 2, ""}});
    }
    // A record cut short by the end of the file, before or after its integers.
    ExpectLookups("0 0 2 0 Before\n0 0", {{0, 0, 1, "Before"}, {0, 0, 2, ""}});
    ExpectLookups("0 0 2 0\n", {{0, 0, 1, ""}});
}

TEST_F(NamesFiles, NumbersBeyondThirtyTwoBitsAreReadWholeAndMatchNothing) {
    // 4294967296 is 0 in 32 bits and 2147483649 is -2147483647: neither may pass for those.
    ExpectLookups("4294967296 0 2 0 Wrapped 2147483649 0 2 0 Wrapped2 "
                  "0 0 2 99999999999999999999999999 Huge -2147483648 0 2 0 Lowest",
                  {{0, 0, 1, "Huge"}, {-2147483647, 0, 1, ""}, {-2147483647 - 1, 0, 1, "Lowest"}});
}

TEST_F(NamesFiles, ALongWordIsCutBetweenCharacters) {
    const std::string a29(29, 'a');
    const std::string so = "\x83\x5C";  // a double-byte character whose trail byte is "\"
    const std::vector<std::pair<std::string, std::string>> wordAndShown = {
        {a29 + "bc", a29 + "bc"},          // 31 bytes: whole
        {a29 + "bcd", a29 + "bc"},         // cut at 31
        {a29 + "b" + so, a29 + "b"},       // the character would straddle the limit
        {a29 + "bc" + so, a29 + "bc"},     // it would start past it
        {a29 + so + "zzz", a29 + so},      // it ends at the limit
        {std::string(40, '\xB1'), std::string(31, '\xB1')},  // half-width katakana: a byte each
    };
    for (const auto& [word, shown] : wordAndShown) {
        SCOPED_TRACE(word);
        // The next record is still found after a long word that is skipped.
        ExpectLookups("0 0 1 0 " + word + "\n0 0 2 0 " + word + "\n0 0 3 0 Next\n", {{0, 0, 1, shown}, {0, 0, 2, "Next"}});
    }
}

TEST_F(NamesFiles, ThePerDeviceFileDecidesAloneWhenItExists) {
    const std::string general = Write("general", "0 0 2 0 General 0 0 3 0 Both");
    const std::string device = Write("device", "0 0 3 0 Device 0 0 4 0 DeviceOnly");
    const std::string absent = PathFor("absent");
    const std::vector<std::tuple<std::string, std::string, std::int32_t, std::string>> table = {
        {general, device, 1, ""},  // instruments.ini has it, the device file does not
        {general, device, 2, "Device"},
        {general, device, 3, "DeviceOnly"},
        {general, absent, 1, "General"},
        {general, absent, 2, "Both"},
        {general, "", 1, "General"},
        {general, "", 3, ""},
        {absent, device, 3, "DeviceOnly"},
        {absent, absent, 1, ""},
        {"", "", 1, ""},
        {general, device, kNoProgram, ""},
    };
    for (const auto& [instruments, perDevice, program, name] : table) {
        SCOPED_TRACE(instruments + " / " + perDevice + " / " + std::to_string(program));
        EXPECT_EQ(InstrumentNameFor(instruments, perDevice, 0, 0, program), name);
    }
}

TEST(DeviceNamesPath, FolderAndDeviceNameAreJoinedAsTheyStand) {
    EXPECT_EQ(DeviceNamesPath("D:\\midi\\", "SC"), "D:\\midi\\SC_instruments.ini");
    EXPECT_EQ(DeviceNamesPath("D:\\midi", "SC"), "D:\\midiSC_instruments.ini");
    EXPECT_EQ(DeviceNamesPath("D:\\\x83\x5C", "\x83\x5C"), "D:\\\x83\x5C\x83\x5C_instruments.ini");
    // "_instruments.ini" is 16 of the 127 characters.
    const std::string folder(100, 'f');
    EXPECT_EQ(DeviceNamesPath(folder, std::string(11, 'd')).size(), 127u);
    EXPECT_EQ(DeviceNamesPath(folder, std::string(12, 'd')), "");
    EXPECT_EQ(DeviceNamesPath(folder + std::string(11, 'f'), "").size(), 127u);
}

TEST(ShippedNamesFile, EveryGeneralMidiProgramInBothBanks) {
    const std::string path = std::string(SOLVENA_SOURCE_DIR) + "/resources/instruments.ini";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // One record a line, each line ending CR LF.
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 256);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 256);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    std::istringstream words(bytes);
    std::set<std::tuple<int, int, int>> keys;
    std::string name;
    for (int msb, lsb, program, ignored; words >> msb >> lsb >> program >> ignored >> name;) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ignored, 0);
        EXPECT_LE(name.size(), kInstrumentNameBytes);
        EXPECT_TRUE(keys.emplace(msb, lsb, program).second);
        {
            EXPECT_EQ(LookupInstrumentName(path, msb, lsb, program - 1), name);
        }
    }
    EXPECT_TRUE(words.eof()) << "stopped after " << name;
    EXPECT_EQ(keys.size(), 256u);
    for (int program = 1; program <= 128; ++program) {
        EXPECT_TRUE(keys.count({0, 0, program}) && keys.count({1, 1, program})) << program;
    }
}

}  // namespace
}  // namespace solvena
