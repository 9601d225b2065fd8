// What a run says to the user: the pre-run questions, the progress texts and the reports of jobs
// that could not be recorded. UTF-8 here; the Windows build turns the literals into code page 932.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/LevelMeter.h"
#include "jobs/RecordingJob.h"

namespace solvena {

inline constexpr char kConfirmCaption[] = "確認";
inline constexpr char kNoticeCaption[] = "notice";
inline constexpr char kErrorCaption[] = "エラー";

// Pre-run questions; %s is a path.
inline constexpr char kSongMissingQuestion[] = "ファイル「%s」が見つかりません。\n録音を続けますか？";
inline constexpr char kTargetReadOnlyQuestion[] = "ファイル「%s」は書き込み禁止です。\n録音を続けますか？";
inline constexpr char kTargetExistsQuestion[] = "ファイル「%s」は既に存在します。\n上書きしますか？";
// Several files exist: one question for all of them, naming how many and the first few.
std::string TargetsExistQuestion(const std::vector<std::string>& paths);
inline constexpr std::size_t kNamedExistingFiles = 3;
inline constexpr char kWaveSettingsQuestion[] = "WAVデバイスの設定に間違いがあります。(%s).\n録音を続けますか？";
inline constexpr char kMidiSettingsQuestion[] = "MIDIデバイスの設定に間違いがあります。(%s).\n録音を続けますか？";

// Jobs (positions) that would write one file; the first records it.
std::string SameFileQuestion(const std::string& wavPath, const std::vector<std::int32_t>& positions,
                             std::int32_t jobCount);
// The switched-on jobs' files would need more than a drive has free.
std::string FreeSpaceQuestion(const std::string& drive, std::uint64_t neededBytes, std::uint64_t freeBytes);
// %s is a path.
inline constexpr char kFreeSpaceUnknownQuestion[] =
    "ファイル「%s」を書き込むドライブの空き容量を調べられませんでした。\n録音を続けますか？";

inline constexpr char kEmptyStackText[] = "データがスタックされていません。";
inline constexpr char kRunFinishedText[] = "録音が終了しました。";
inline constexpr char kCancelText[] = "キャンセル";
inline constexpr char kCloseText[] = "閉じる";

// Why a job was not recorded (or not to its end).
enum class JobFailure {
    songUnreadable,   // the song file could not be loaded
    wavNotCreated,    // the WAV file could not be created (no such folder, no room, a bad name)
    nothingToPlay,    // no event of the chosen tracks lies in the range
    streamTooLong,    // more stream records than the run can hold
    playbackFailed,   // the MIDI stream did not start
    feedFailed,       // a later part of the stream could not be handed to the device
    captureNotStarted,  // the WAVE IN device did not start recording
    nothingCaptured,    // the WAVE IN device delivered nothing in the time a start may take
    wavHeaderFailed,    // the WAV file was created but its header could not be written
    playbackStalled,    // the MIDI OUT device never said its playback had ended
    captureStopped,     // no capture buffer was left in the WAVE IN device
    captureLostBeforeMusic,  // the same, while waiting for the device, before the music started
};

// Whether the job's recording had begun, so that its file holds something worth keeping.
bool BrokeOffRecording(JobFailure failure);

// The format with its one %s replaced by the whole of `path`, however long: a cut path would
// name another file.
std::string WithPath(const char* format, const std::string& path);

// "録音中... n/m" with position + 1 and the job count.
std::string ProgressText(std::int32_t position, std::int32_t jobCount);

// What the run does after a job that failed: it goes on only to a job that will be tried.
enum class AfterFailure { nextJob, runEnds };
// nextJob when a job after `position` among the stacked jobs is switched on.
AfterFailure AfterFailureAt(std::span<const RecordingJob> stacked, std::int32_t position);

// Names the job (its position, song and WAV file) and what went wrong, and ends with what the run
// does next; `seconds` is how much a recording that broke off holds.
std::string JobFailureText(JobFailure failure, std::int32_t position, std::int32_t jobCount, AfterFailure after,
                           const std::string& midiPath, const std::string& wavPath, std::uint64_t seconds = 0);

// The WAV file reached the largest size a RIFF file can state; the recording stops there.
std::string WavCutText(const std::string& wavPath);
// Writing the WAV file failed (a full disk, a removed drive); it keeps what was written.
std::string WavWriteFailedText(const std::string& wavPath);
// A capture buffer could not be queued again: the recording goes on, but may have gaps.
std::string CaptureGapText(const std::string& wavPath);

// Run mode's clock for the job being recorded: "m:ss / m:ss", elapsed and expected.
std::string RunTimeText(std::uint64_t elapsedSeconds, std::uint64_t expectedSeconds);
// How far the job is, 0 to 1000; a job expected to take no time is full at once.
int JobProgressPermille(std::uint64_t elapsedMs, std::uint64_t expectedMs);

// A peak in dBFS with one decimal ("-12.3", "0.0"); "-∞" for pure silence.
std::string DbfsText(double dbfs);
// The level column of a recorded job: "無音", "クリップ n" or its peak ("-12.3dB").
std::string LevelCellText(const RecordingLevels& levels);
// Run mode's line for the input of the job being recorded: its peak so far, as the column says it.
std::string InputLevelText(const RecordingLevels& levels);

inline constexpr char kRunReportCaption[] = "録音結果";

// A stretch of input the WAVE IN device never delivered, filled with silence in the file.
struct CaptureGapReport {
    double atSeconds = 0;  // where it begins in the file
    double lengthMs = 0;
};

// How the capture's clock ran against the system's, and how closely the music kept to it.
struct ClockReport {
    bool measured = false;  // the looks at the capture told its rate
    double ppm = 0;         // the capture's clock ran this much fast (slow when negative)
    double seconds = 0;     // the file's length
    bool lockLost = false;  // the music could not be kept on the capture's clock
    double largestErrorMs = 0;
    double ppmError = 0;    // the rate's standard error
};

// Smaller differences are within what a capture's crystal is made to and go unmentioned, as do
// those a short job could not tell from its looks' own scatter (two standard errors).
inline constexpr double kReportedClockPpm = 20;

struct RecordedJob {
    std::int32_t position = 0;
    std::string wavPath;
    RecordingLevels levels;
    std::uint64_t seconds = 0;  // what the file holds
    bool cut = false;           // at the largest size a WAV file can state
    bool writeFailed = false;   // from a failed write on
    bool gaps = false;          // a capture buffer was out of the device for a while
    std::optional<JobFailure> brokeOff;  // ended early, and why
    ClockReport clock;
    std::vector<CaptureGapReport> captureGaps;
};

// Silent, clipped, or not all there: a file to listen to before trusting it.
bool NeedsCheck(const RecordedJob& job);

// The message at the end of a run: every recording that needs a check, with what is wrong, then
// every other one whose capture's clock was corrected. Empty when there is nothing to tell.
std::string RunReportText(const std::vector<RecordedJob>& recorded, std::int32_t jobCount);

}  // namespace solvena
