// The WAV file writer through the system's multimedia file service: the bytes of whole files in
// three formats with their broadcast wave chunk and cue points, files in folders deeper than the
// service's own names reach, and a disk that fills up half way.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FullDisk.h"
#include "TestFiles.h"
#include "engine/CaptureLimits.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/WavFile.h"

namespace solvena::engine {
namespace {

std::string Word(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

devices::WaveFormat Format(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
    devices::WaveFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.blockAlign = static_cast<std::uint16_t>(bits * channels / 8);
    format.avgBytesPerSec = format.blockAlign * rate;
    format.bitsPerSample = bits;
    return format;
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

std::vector<std::string> shown;
int RecordBox(HWND, const char* text, const char*, UINT) {
    shown.emplace_back(text);
    return IDOK;
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(WavFile, WholeFilesInThreeFormats) {
    struct Case {
        std::uint32_t rate;
        std::uint16_t bits, channels;
        std::vector<std::uint32_t> appends;  // as the capture hands buffers back
    };
    const Case cases[] = {
        {44100, 16, 2, {131072, 131072, 5000}},
        {8000, 8, 1, {131072, 12345}},  // odd: a pad byte follows the data, then the cue points
        {96000, 24, 2, {131070, 131070, 606}},
    };
    // A marker at the first frame, one in the take and one past its end in every format.
    WavMarks marks;
    marks.bext.description = "song.mid, bars 2-4, tracks 0,1";
    marks.bext.timeReference = 88200;
    marks.cues = {{0, "Intro"}, {20000, "Verse"}, {10000000, "Past"}};
    const std::string path = testfiles::TempPath("solvena-wav-test.wav");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.bits) + "/" + std::to_string(c.channels));
        // A longer file already there is replaced, not appended to.
        ASSERT_TRUE(testfiles::WriteBytes(path, std::string(600000, 'z')));
        const devices::WaveFormat format = Format(c.rate, c.bits, c.channels);
        ASSERT_EQ(OpenWavFile(path, format, nullptr, marks), WavOpen::opened);
        std::string samples;
        for (std::uint32_t n : c.appends) {
            const std::vector<std::uint8_t> bytes = Pattern(n);
            AppendToWavFile(bytes.data(), n);
            samples.append(bytes.begin(), bytes.end());
        }
        CompleteWavFile();
        const auto n = static_cast<std::uint32_t>(samples.size());
        const std::uint32_t pad = n % 2;
        BextFields bext = marks.bext;
        bext.rate = c.rate;
        bext.bits = c.bits;
        bext.channels = c.channels;
        const std::vector<CuePoint> taken(marks.cues.begin(), marks.cues.begin() + 2);
        const std::string cues = "cue " + Word(4 + 2 * 24, 4) + Bytes(CueChunkBody(taken)) + "LIST" +
                                 Word(static_cast<std::uint32_t>(LabelListBody(taken).size()), 4) +
                                 Bytes(LabelListBody(taken));
        const std::string chunks = "fmt " + Word(18, 4) + Word(1, 2) + Word(c.channels, 2) + Word(c.rate, 4) +
                                   Word(format.avgBytesPerSec, 4) + Word(format.blockAlign, 2) + Word(c.bits, 2) +
                                   Word(0, 2) + "bext" + Word(kBextChunkBytes, 4) + Bytes(BextChunkBody(bext)) +
                                   "data" + Word(n, 4) + samples + std::string(pad, '\0') + cues;
        const std::string expected = "RIFF" + Word(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
        const auto written = testfiles::ReadBytes(path);
        ASSERT_TRUE(written.has_value());
        ASSERT_EQ(written->size(), expected.size());
        EXPECT_EQ(written->substr(0, kWavHeaderBytes), expected.substr(0, kWavHeaderBytes));
        EXPECT_TRUE(*written == expected) << "the sample bytes, the pad byte or the cue points differ";
    }
    DeleteFileA(path.c_str());
}

// The multimedia file service as documented: it opens names of fewer than 128 bytes only. Newer
// Wine releases keep to that; Debian 12's opens longer names and picks its own service for a plain
// name, so what is counted is the files handed to this one open.
int handedOver = 0;
LRESULT CALLBACK DocumentedNamesProc(LPSTR info, UINT message, LPARAM first, LPARAM second) {
    if (message == MMIOM_OPEN && first != 0 && std::strlen(reinterpret_cast<const char*>(first)) >= 128) {
        return MMIOERR_CANNOTOPEN;
    }
    const LRESULT result = testfiles::systemFileProc(info, message, first, second);
    if (message == MMIOM_OPEN && first == 0 && result == 0) ++handedOver;
    return result;
}

class DocumentedNames {
public:
    DocumentedNames() {
        testfiles::systemFileProc = mmioInstallIOProcA(FOURCC_DOS, nullptr, MMIO_FINDPROC);
        mmioInstallIOProcA(FOURCC_DOS, DocumentedNamesProc, MMIO_INSTALLPROC);
    }
    ~DocumentedNames() { mmioInstallIOProcA(FOURCC_DOS, DocumentedNamesProc, MMIO_REMOVEPROC); }
    DocumentedNames(const DocumentedNames&) = delete;
    DocumentedNames& operator=(const DocumentedNames&) = delete;
};

// Files whose full path is 130 and 255 bytes, in nested folders under the temporary folder.
TEST(WavFile, PathsPastTheMultimediaNameLimitAreWrittenWhole) {
    const DocumentedNames names;
    for (const std::size_t length : {std::size_t{130}, std::size_t{255}}) {
        SCOPED_TRACE(length);
        std::vector<std::string> folders = {testfiles::TempPath("solvena-deep")};
        while (length - folders.back().size() > 50) {
            folders.push_back(folders.back() + "\\a-long-folder-name-for-a-deep-take");
        }
        for (const std::string& folder : folders) CreateDirectoryA(folder.c_str(), nullptr);
        const std::string path = folders.back() + "\\" + std::string(length - folders.back().size() - 5, 'w') + ".wav";
        handedOver = 0;
        ASSERT_EQ(OpenWavFile(path, Format(8000, 8, 1), nullptr), WavOpen::opened);
        EXPECT_EQ(handedOver, 1) << "opened by the program, not by the service's name limit";
        const std::vector<std::uint8_t> bytes = Pattern(100001);  // odd: a pad byte follows
        AppendToWavFile(bytes.data(), 100001);
        CompleteWavFile();
        const auto written = testfiles::ReadBytes(path);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(*written, "RIFF" + Word(kWavHeaderBytes - 8 + 100002, 4) + written->substr(8, kWavHeaderBytes - 16) +
                                "data" + Word(100001, 4) + Bytes(bytes) + '\0');
        // Closing the file let go of it: the file and its folders can be removed.
        EXPECT_TRUE(DeleteFileA(path.c_str()));
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryA(folder->c_str());
        EXPECT_EQ(GetFileAttributesA(folders.front().c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST(WavFile, AFullDiskLeavesAValidFileWithWhatWasWritten) {
    constexpr auto kHeader = static_cast<LONG>(kWavHeaderBytes);
    struct Case {
        const char* name;
        int rate, bits, channels;
        LONG room;  // bytes the disk takes
        std::uint32_t piece, pieces;
        std::uint32_t declared;  // whole frames, even, all of them on the disk
    } const cases[] = {
        {"the disk fills in the middle of a frame of the second buffer", 44100, 16, 2, kHeader + 100001, 65536, 4,
         100000},
        {"every sample written, the pad byte refused", 8000, 8, 1, kHeader + 1001, 1001, 1, 1000},
        {"an odd count of 24-bit frames, the pad byte refused", 44100, 24, 1, kHeader + 999, 333, 3, 996},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testfiles::FullDisk disk(c.room);
        const std::string path = testfiles::TempPath("solvena-full.wav") + testfiles::kFullDiskSuffix;
        shown.clear();
        SetMessageBoxFunction(RecordBox);
        HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_EQ(OpenWavFile(path, Format(c.rate, c.bits, c.channels), owner),
                  WavOpen::opened);
        const std::vector<std::uint8_t> bytes = Pattern(c.piece);
        for (std::uint32_t i = 0; i < c.pieces; ++i) AppendToWavFile(bytes.data(), c.piece);
        CompleteWavFile();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        ShowDeferredMessages();

        const auto written = testfiles::ReadBytes(path);
        ASSERT_TRUE(written.has_value());
        std::uint32_t riffSize = 0, dataSize = 0;
        std::memcpy(&riffSize, written->data() + 4, 4);
        std::memcpy(&dataSize, written->data() + kWavHeaderBytes - 4, 4);
        EXPECT_EQ(dataSize, c.declared);
        EXPECT_EQ(riffSize, kWavHeaderBytes - 8 + dataSize);
        EXPECT_GE(written->size(), kWavHeaderBytes + dataSize);
        EXPECT_EQ(written->substr(kWavHeaderBytes, c.piece), std::string(bytes.begin(), bytes.end()));
        EXPECT_TRUE(WavWriteFailed()) << "the finish report names the file";
        ASSERT_EQ(shown.size(), 1u) << "told once";
        EXPECT_EQ(shown[0], WavWriteFailedText(path));

        SetMessageBoxFunction(nullptr);
        DestroyWindow(owner);
        DeleteFileA(path.c_str());
    }
}

}  // namespace
}  // namespace solvena::engine
