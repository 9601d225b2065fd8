// The two pre-run checks against a scripted system and a scripted user.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/DrivePaths.h"
#include "engine/PreRunChecks.h"
#include "engine/RunTexts.h"

namespace solvena {
namespace {

// The scripted world: file states by path, Yes/No answers in order, devices.
std::map<std::string, FileState> files;
std::vector<bool> answers;
std::vector<std::string> asked;  // caption + "|" + text
std::vector<std::string> icons;  // "row:icon"
std::uint32_t midiOuts = 2;
std::uint32_t goodWaveIn = 0;  // the only WAVE IN device that takes any format

FileState StateOf(const char* path) {
    const auto it = files.find(path);
    return it == files.end() ? FileState::missing : it->second;
}
bool Ask(const std::string& text, const char* caption) {
    asked.push_back(std::string(caption) + "|" + text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool yes = answers.front();
    answers.erase(answers.begin());
    return yes;
}
devices::MmResult Query(std::uint32_t device, const devices::WaveFormat&) { return device == goodWaveIn ? 0 : 32; }
std::uint32_t MidiOuts() { return midiOuts; }
void Icon(int row, int icon) { icons.push_back(std::to_string(row) + ":" + std::to_string(icon)); }

RecordingJob Job(const std::string& name, std::uint8_t enabled = 1) {
    RecordingJob job;
    SetText(job.midiPath, name + ".mid");
    SetText(job.wavPath, name + ".wav");
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.enabled = enabled;
    return job;
}

std::string Q(const char* format, const std::string& path, const char* caption) {
    return std::string(caption) + "|" + WithPath(format, path);
}

class PreRunChecks : public ::testing::Test {
protected:
    void SetUp() override {
        ResetJobTable();
        files.clear();
        answers.clear();
        asked.clear();
        icons.clear();
        midiOuts = 2;
        host.fileState = StateOf;
        host.ask = Ask;
        host.waveInQuery = Query;
        host.midiOutCount = MidiOuts;
        host.setRowIcon = Icon;
    }
    void TearDown() override { ResetJobTable(); }
    void Stack(const RecordingJob& job) { ASSERT_TRUE(AppendStackedJob(job)); }
    std::vector<int> Enabled() {
        std::vector<int> flags;
        for (const RecordingJob& job : StackedJobs()) flags.push_back(job.enabled);
        return flags;
    }
    PreRunHost host;
};

TEST_F(PreRunChecks, FileQuestionsSwitchJobsOffOrCancel) {
    struct Case {
        const char* name;
        FileState song, target;
        std::vector<bool> answers;
        bool result;
        int enabled;
        std::vector<std::string> questions;
    };
    const std::vector<Case> cases = {
        {"all in place", FileState::writable, FileState::missing, {}, true, 1, {}},
        {"missing song, Yes", FileState::missing, FileState::missing, {true}, true, 0,
         {Q(kSongMissingQuestion, "a.mid", kConfirmCaption)}},
        {"missing song, No", FileState::missing, FileState::missing, {false}, false, 1,
         {Q(kSongMissingQuestion, "a.mid", kConfirmCaption)}},
        {"read-only target, Yes", FileState::writable, FileState::readOnly, {true}, true, 0,
         {Q(kTargetReadOnlyQuestion, "a.wav", kConfirmCaption)}},
        {"existing target, Yes overwrites", FileState::writable, FileState::writable, {true}, true, 1,
         {Q(kTargetExistsQuestion, "a.wav", kConfirmCaption)}},
        {"existing target, No skips only this job", FileState::writable, FileState::writable, {false}, true, 0,
         {Q(kTargetExistsQuestion, "a.wav", kConfirmCaption)}},
        // The target is still asked about, and a later cancel keeps the job off.
        {"missing song Yes, read-only target No", FileState::missing, FileState::readOnly, {true, false}, false, 0,
         {Q(kSongMissingQuestion, "a.mid", kConfirmCaption), Q(kTargetReadOnlyQuestion, "a.wav", kConfirmCaption)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Stack(Job("a"));
        Stack(Job("b"));
        files["a.mid"] = c.song;
        if (c.target != FileState::missing) files["a.wav"] = c.target;
        files["b.mid"] = FileState::writable;
        answers = c.answers;
        EXPECT_EQ(CheckTargetFiles(host), c.result);
        EXPECT_EQ(asked, c.questions);
        EXPECT_EQ(Enabled(), (std::vector<int>{c.enabled, 1})) << "a cancel leaves the later jobs unexamined";
        EXPECT_EQ(icons.empty(), c.enabled == 1);
    }
}

// Several existing files are asked about once, where the first of them comes; one keeps its own
// question. Read-only files and switched-off jobs' files are not among them.
TEST_F(PreRunChecks, SeveralExistingFilesAreAskedAboutOnce) {
    const std::string c_d_e = std::string(kConfirmCaption) + "|" + TargetsExistQuestion({"c.wav", "d.wav", "e.wav"});
    struct Case {
        const char* name;
        std::vector<FileState> targets;  // of jobs a to e, all switched on but for `off`
        int off;                         // -1: none
        std::vector<bool> answers;
        std::vector<int> enabled;
        std::vector<std::string> questions;
    };
    const FileState no = FileState::missing, yes = FileState::writable, ro = FileState::readOnly;
    const std::vector<Case> cases = {
        {"one file, No", {no, no, yes, no, no}, -1, {false}, {1, 1, 0, 1, 1},
         {Q(kTargetExistsQuestion, "c.wav", kConfirmCaption)}},
        {"one file of a job on", {no, yes, yes, no, no}, 1, {true}, {1, 0, 1, 1, 1},
         {Q(kTargetExistsQuestion, "c.wav", kConfirmCaption)}},
        {"three files, No switches only them off", {ro, no, yes, yes, yes}, -1, {true, false}, {0, 1, 0, 0, 0},
         {Q(kTargetReadOnlyQuestion, "a.wav", kConfirmCaption), c_d_e}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (std::size_t i = 0; i < c.targets.size(); ++i) {
            const std::string name(1, static_cast<char>('a' + i));
            Stack(Job(name, static_cast<int>(i) == c.off ? 0 : 1));
            files[name + ".mid"] = FileState::writable;
            if (c.targets[i] != no) files[name + ".wav"] = c.targets[i];
        }
        answers = c.answers;
        EXPECT_TRUE(CheckTargetFiles(host));
        EXPECT_EQ(asked, c.questions);
        EXPECT_EQ(Enabled(), c.enabled);
    }
    EXPECT_EQ(TargetsExistQuestion({"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"}),
              "5個のファイルが既に存在します。\n「a.wav」\n「b.wav」\n「c.wav」\nほか2個\nすべて上書きしますか？\n"
              "(いいえを選ぶと、これらのジョブをオフにして録音を続けます)");
}

TEST_F(PreRunChecks, FileCheckSkipsJobsAlreadyOffButDeviceCheckDoesNot) {
    Stack(Job("off", 0));
    Stack(Job("on"));
    files["on.mid"] = FileState::writable;
    EXPECT_TRUE(CheckTargetFiles(host));
    EXPECT_TRUE(asked.empty()) << "the missing song of a switched-off job is not asked about";

    jobs[0].waveInDevice = 1;  // refuses every format
    jobs[1].midiOutDevice = 2;  // equal to the count: not a device
    answers = {true, true};
    EXPECT_TRUE(CheckDevices(host));
    EXPECT_EQ(asked, (std::vector<std::string>{Q(kWaveSettingsQuestion, "off.wav", kErrorCaption),
                                               Q(kMidiSettingsQuestion, "on.wav", kErrorCaption)}));
    EXPECT_EQ(Enabled(), (std::vector<int>{0, 0}));
    EXPECT_EQ(icons, (std::vector<std::string>{"0:1", "1:1"}));
}

TEST_F(PreRunChecks, DeviceCheckCancelsAtTheFirstNo) {
    Stack(Job("a"));
    Stack(Job("b"));
    jobs[0].midiOutDevice = 1;  // one less than the count: a device
    jobs[0].waveInDevice = 3;
    jobs[1].waveInDevice = 3;
    answers = {false};
    EXPECT_FALSE(CheckDevices(host));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(Enabled(), (std::vector<int>{1, 1}));

    jobs[0].midiOutDevice = -1;  // taken as unsigned: far past the count
    jobs[0].waveInDevice = 0;
    answers = {true, false};
    asked.clear();
    EXPECT_FALSE(CheckDevices(host));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Enabled(), (std::vector<int>{0, 1}));
}

// One volume reached through two drive names counts once; a drive the system cannot tell about is
// asked about, not passed over.
RecordingJob TenSecondJob(const std::string& name) {
    RecordingJob job = Job(name);
    job.expectedSeconds = 10;
    return job;
}

TEST_F(PreRunChecks, FreeSpaceIsCountedPerVolumeAndAnUntoldDriveIsAskedAbout) {
    // "X:" and "\\nas\music" are one volume with room for one job; "C:" has room; "U:" cannot be told.
    host.freeSpace = [](const char* path, std::string* drive, std::string* volume, std::uint64_t* free) {
        const std::string name(path);
        if (name[0] == 'U') return false;
        *drive = name.substr(0, name.find('\\', 2) + 1);
        *volume = name[0] == 'C' ? "volume-c" : "volume-nas";
        *free = name[0] == 'C' ? 1u << 30 : ExpectedWavBytes(TenSecondJob("a")) + 1000;
        return true;
    };
    const std::uint64_t job = ExpectedWavBytes(TenSecondJob("a"));
    struct Case {
        std::vector<const char*> names;
        std::vector<bool> answers;
        std::vector<std::string> asked;
    } const cases[] = {
        {{"X:\\a", "\\\\nas\\music\\b"}, {false},
         {std::string(kConfirmCaption) + "|" + FreeSpaceQuestion("X:\\", 2 * job, job + 1000)}},
        {{"X:\\a", "C:\\b"}, {}, {}},
        {{"C:\\a", "U:\\b", "U:\\c"}, {true}, {Q(kFreeSpaceUnknownQuestion, "U:\\b.wav", kConfirmCaption)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.back());
        ResetJobTable();
        asked.clear();
        for (const char* name : c.names) Stack(TenSecondJob(name));
        answers = c.answers;
        EXPECT_EQ(CheckFreeSpace(host), c.answers.empty() || c.answers.back());
        EXPECT_EQ(asked, c.asked);
    }
}

TEST(DrivePaths, ADriveLetterStandsForWhatTheSystemMapsItTo) {
    const struct {
        const char* path;
        const char* target;  // QueryDosDevice's answer for the path's drive letter
        const char* resolved;
    } cases[] = {
        {"Q:\\takes\\a.wav", "\\??\\C:\\songs", "C:\\songs\\takes\\a.wav"},
        {"Q:\\a.wav", "\\??\\C:\\", "C:\\a.wav"},
        {"N:\\a.wav", "\\Device\\LanmanRedirector\\;N:0000000000012345\\nas\\music", "\\\\nas\\music\\a.wav"},
        {"N:\\a.wav", "\\Device\\Mup\\;LanmanRedirector\\;N:00000000\\nas\\music", "\\\\nas\\music\\a.wav"},
        {"C:\\a.wav", "\\Device\\HarddiskVolume3", "C:\\a.wav"},
        {"\\\\nas\\music\\a.wav", "", "\\\\nas\\music\\a.wav"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathThroughDrive(c.path, c.target), c.resolved) << c.path << " " << c.target;
}

TEST_F(PreRunChecks, EmptyStackAsksNothing) {
    EXPECT_TRUE(CheckTargetFiles(host));
    EXPECT_TRUE(CheckDevices(host));
    EXPECT_TRUE(asked.empty());
}

TEST(CaptureFormat, FollowsTheJob) {
    struct Case {
        int rate, bits, channels;
        std::uint16_t blockAlign;
        std::uint32_t bytesPerSecond;
    };
    for (const Case& c : {Case{44100, 16, 2, 4, 176400}, Case{8000, 8, 1, 1, 8000}, Case{96000, 24, 2, 6, 576000},
                          Case{192000, 32, 2, 8, 1536000}}) {
        RecordingJob job;
        job.sampleRate = c.rate;
        job.bitsPerSample = c.bits;
        job.channels = c.channels;
        const devices::WaveFormat format = CaptureFormatOf(job);
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.blockAlign, c.blockAlign);
        EXPECT_EQ(format.avgBytesPerSec, c.bytesPerSecond);
        EXPECT_EQ(format.samplesPerSec, static_cast<std::uint32_t>(c.rate));
    }
}

}  // namespace
}  // namespace solvena
