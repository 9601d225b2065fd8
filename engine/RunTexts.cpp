#include "engine/RunTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace solvena {

namespace {

std::string MinutesAndSeconds(std::uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
    return text;
}

// A number with `places` decimals ("1.50", "27").
std::string Decimal(double value, int places) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

// "n/m": a job's position counted from 1, and the job count.
std::string JobNumber(std::int32_t position, std::int32_t jobCount) {
    return std::to_string(position + 1) + "/" + std::to_string(jobCount);
}

const char* FailureReason(JobFailure failure) {
    switch (failure) {
        case JobFailure::songUnreadable: return "MIDIファイルを読み込めませんでした。";
        case JobFailure::wavNotCreated: return "WAVファイルを作成できませんでした。";
        case JobFailure::nothingToPlay: return "録音範囲に演奏するイベントがありません。";
        case JobFailure::streamTooLong: return "演奏データが大きすぎて再生できません。";
        case JobFailure::playbackFailed: return "MIDIデバイスで演奏を始められませんでした。";
        case JobFailure::feedFailed:
            return "MIDIデバイスに演奏データを送れなくなりました。\nWAVファイルにはそこまでの録音が残ります。";
        case JobFailure::captureNotStarted: return "WAVE INデバイスで録音を始められませんでした。";
        case JobFailure::nothingCaptured:
            return "WAVE INデバイスが録音を始めて5秒たっても音のデータを届けませんでした。\n"
                   "デバイスの接続と設定を確かめて下さい。";
        case JobFailure::wavHeaderFailed:
            return "WAVファイルの先頭を書き込めませんでした。(ディスクの空き容量を確認してください)";
        case JobFailure::playbackStalled:
            return "曲が終わるはずの時刻から10秒たっても、MIDIデバイスが演奏の終わりを知らせてきません。\n"
                   "演奏を打ち切りました。";
        case JobFailure::captureStopped:
            return "録音バッファをWAVE INデバイスに戻せなくなり、録音が止まりました。";
        case JobFailure::captureLostBeforeMusic:
            return "録音バッファをWAVE INデバイスに戻せなくなり、演奏を始める前に録音が止まりました。";
    }
    return "";
}

}  // namespace

std::string WithPath(const char* format, const std::string& path) {
    std::string text(format);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

namespace {

std::string Megabytes(std::uint64_t bytes) { return std::to_string(bytes / 1000000) + "MB"; }

}  // namespace

std::string SameFileQuestion(const std::string& wavPath, const std::vector<std::int32_t>& positions,
                             std::int32_t jobCount) {
    std::string jobs;
    for (std::int32_t position : positions) {
        if (!jobs.empty()) jobs += ", ";
        jobs += JobNumber(position, jobCount);
    }
    return WithPath("次のジョブが同じWAVファイル「%s」に録音しようとしています: ", wavPath) + jobs +
           "\n最初のジョブ (" + JobNumber(positions.front(), jobCount) +
           ") だけで録音し、ほかのジョブはオフにしますか？\n(いいえを選ぶと録音を中止します)";
}

std::string TargetsExistQuestion(const std::vector<std::string>& paths) {
    std::string text = std::to_string(paths.size());
    text.append("個のファイルが既に存在します。\n");
    const std::size_t named = std::min(paths.size(), kNamedExistingFiles);
    for (std::size_t i = 0; i < named; ++i) text.append("「").append(paths[i]).append("」\n");
    if (paths.size() > named) text.append("ほか").append(std::to_string(paths.size() - named)).append("個\n");
    text.append("すべて上書きしますか？\n(いいえを選ぶと、これらのジョブをオフにして録音を続けます)");
    return text;
}

std::string FreeSpaceQuestion(const std::string& drive, std::uint64_t neededBytes, std::uint64_t freeBytes) {
    return "ドライブ " + drive + " の空き容量が足りないかもしれません。\n録音するジョブの予想サイズ: " +
           Megabytes(neededBytes + 999999) + "\n空き容量: " + Megabytes(freeBytes) + "\nこのまま録音を続けますか？";
}

std::string ProgressText(std::int32_t position, std::int32_t jobCount) {
    return "録音中... " + std::to_string(static_cast<std::uint32_t>(position) + 1) + "/" +
           std::to_string(static_cast<std::uint32_t>(jobCount));
}

bool BrokeOffRecording(JobFailure failure) {
    return failure == JobFailure::feedFailed || failure == JobFailure::playbackStalled ||
           failure == JobFailure::captureStopped;
}

AfterFailure AfterFailureAt(std::span<const RecordingJob> stacked, std::int32_t position) {
    const std::size_t first = position < 0 ? 0 : static_cast<std::size_t>(position) + 1;
    for (std::size_t later = first; later < stacked.size(); ++later) {
        if (stacked[later].enabled == 1) return AfterFailure::nextJob;
    }
    return AfterFailure::runEnds;
}

std::string JobFailureText(JobFailure failure, std::int32_t position, std::int32_t jobCount, AfterFailure after,
                           const std::string& midiPath, const std::string& wavPath, std::uint64_t seconds) {
    std::string kept;
    if (failure == JobFailure::playbackStalled || failure == JobFailure::captureStopped) {
        kept = "\nWAVファイルには " + MinutesAndSeconds(seconds) + " までの録音が残ります。";
    }
    return "ジョブ " + JobNumber(position, jobCount) +
           " を録音できませんでした。\nMIDI: " + midiPath + "\nWAV: " + wavPath + "\n\n" + FailureReason(failure) +
           kept + (after == AfterFailure::nextJob ? "\n次のジョブに進みます。" : "\n録音を終了します。");
}

std::string WavCutText(const std::string& wavPath) {
    return WithPath("WAVファイル「%s」がWAVファイルの大きさの上限に達したため、録音をそこで打ち切りました。", wavPath);
}

std::string CaptureGapText(const std::string& wavPath) {
    return WithPath(
        "WAVファイル「%s」の録音中に、録音バッファをWAVE INデバイスに戻せませんでした。\n"
        "録音は続けますが、途切れている所があるかもしれません。",
        wavPath);
}

std::string WavWriteFailedText(const std::string& wavPath) {
    return WithPath(
        "WAVファイル「%s」に書き込めませんでした。(ディスクの空き容量を確認してください)\n"
        "ファイルには書き込めたところまでの録音が残ります。",
        wavPath);
}

namespace {

// A report names at most this many recordings; the rows show the rest.
constexpr std::size_t kReportedJobLimit = 16;

}  // namespace

std::string RunTimeText(std::uint64_t elapsedSeconds, std::uint64_t expectedSeconds) {
    return MinutesAndSeconds(elapsedSeconds) + " / " + MinutesAndSeconds(expectedSeconds);
}

int JobProgressPermille(std::uint64_t elapsedMs, std::uint64_t expectedMs) {
    if (elapsedMs >= expectedMs) return 1000;
    return static_cast<int>(elapsedMs * 1000 / expectedMs);
}

std::string DbfsText(double dbfs) {
    if (std::isinf(dbfs) && dbfs < 0) return "-∞";
    // A peak a hair below full scale reads 0.0, not -0.0.
    if (dbfs > -0.05) return "0.0";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", dbfs);
    return text;
}

std::string LevelCellText(const RecordingLevels& levels) {
    if (IsSilent(levels)) return "無音";
    if (IsClipped(levels)) return "クリップ " + std::to_string(levels.clipped);
    return DbfsText(levels.peakDbfs) + "dB";
}

std::string InputLevelText(const RecordingLevels& levels) { return "入力レベル " + LevelCellText(levels); }

bool NeedsCheck(const RecordedJob& job) {
    return IsSilent(job.levels) || IsClipped(job.levels) || job.cut || job.writeFailed || job.gaps ||
           job.brokeOff.has_value() || job.clock.lockLost || !job.captureGaps.empty();
}

namespace {

// What is wrong with one recording, a line each.
std::string ReportLines(const RecordedJob& job) {
    const std::string until = MinutesAndSeconds(job.seconds);
    std::string lines;
    if (IsSilent(job.levels)) {
        lines += "  無音です (ピーク " + DbfsText(job.levels.peakDbfs) + " dBFS)。WAVE IN のデバイスと音源の接続を確かめて下さい。\n";
    } else if (IsClipped(job.levels)) {
        lines += "  音が割れています (クリップ " + std::to_string(job.levels.clipped) + " サンプル, ピーク " +
                 DbfsText(job.levels.peakDbfs) + " dBFS)。音源か入力の音量を下げて下さい。\n";
    }
    if (job.cut) lines += "  WAVファイルの大きさの上限で打ち切られました (" + until + " まで)。\n";
    if (job.writeFailed) lines += "  書き込みに失敗し、" + until + " までしか残っていません。\n";
    if (job.gaps) lines += "  録音バッファを戻せなかったため、途切れている所があるかもしれません。\n";
    if (job.brokeOff == JobFailure::feedFailed) lines += "  演奏が途中で止まりました (" + until + " まで)。\n";
    if (job.brokeOff == JobFailure::playbackStalled) {
        lines += "  MIDIデバイスが演奏の終わりを知らせず、打ち切られました (" + until + " まで)。\n";
    }
    if (job.brokeOff == JobFailure::captureStopped) lines += "  録音が途中で止まりました (" + until + " まで)。\n";
    for (const CaptureGapReport& gap : job.captureGaps) {
        lines += "  " + MinutesAndSeconds(static_cast<std::uint64_t>(std::max(0.0, gap.atSeconds))) + " から " +
                 Decimal(gap.lengthMs / 1000, 2) + " 秒間、入力が途切れていました (無音で埋めてあります)。\n";
    }
    if (job.clock.lockLost) {
        lines += "  演奏を録音デバイスのクロックに合わせきれませんでした (最大 " + Decimal(job.clock.largestErrorMs, 1) +
                 " ms のずれ)。\n";
    }
    return lines;
}

// The capture's clock differed enough from the system's to be worth a word.
bool ClockCorrected(const RecordedJob& job) {
    return job.clock.measured && !job.clock.lockLost &&
           std::abs(job.clock.ppm) - 2 * job.clock.ppmError > kReportedClockPpm;
}

std::string ClockLine(const RecordedJob& job) {
    const double costMs = std::abs(job.clock.ppm) * job.clock.seconds / 1000;
    return "  クロック差 " + std::string(job.clock.ppm > 0 ? "+" : "") + Decimal(job.clock.ppm, 0) + " ppm(終わりで " +
           Decimal(costMs, 0) + " ms)を補正しました。\n";
}

std::string JobLines(const RecordedJob& job, std::int32_t jobCount) {
    return "\nジョブ " + JobNumber(job.position, jobCount) + ": " + job.wavPath + "\n" + ReportLines(job) +
           (ClockCorrected(job) ? ClockLine(job) : "");
}

}  // namespace

std::string RunReportText(const std::vector<RecordedJob>& recorded, std::int32_t jobCount) {
    std::string checks, corrected;
    std::size_t named = 0;
    std::size_t unnamed = 0;
    for (const RecordedJob& job : recorded) {
        const bool check = NeedsCheck(job);
        if (!check && !ClockCorrected(job)) continue;
        if (named == kReportedJobLimit) {
            unnamed += check ? 1 : 0;
            continue;
        }
        ++named;
        (check ? checks : corrected) += JobLines(job, jobCount);
    }
    if (unnamed > 0) checks += "\nほかに " + std::to_string(unnamed) + " 件あります (行のアイコンをご覧下さい)。\n";
    std::string report;
    if (!checks.empty()) report = "次のWAVファイルは録音し直した方がよさそうです。\n" + checks;
    if (!corrected.empty()) {
        report += std::string(report.empty() ? "" : "\n") +
                  "次のWAVファイルは、録音デバイスのクロックのずれに演奏を合わせて録音しました。\n" + corrected;
    }
    return report;
}

}  // namespace solvena
