#include "engine/RunTexts.h"

#include <cmath>
#include <cstdio>

namespace solvena {

namespace {

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

std::string ProgressText(std::int32_t position, std::int32_t jobCount) {
    return "録音中... " + std::to_string(static_cast<std::uint32_t>(position) + 1) + "/" +
           std::to_string(static_cast<std::uint32_t>(jobCount));
}

std::string JobFailureText(JobFailure failure, std::int32_t position, std::int32_t jobCount,
                           const std::string& midiPath, const std::string& wavPath) {
    return "ジョブ " + std::to_string(position + 1) + "/" + std::to_string(jobCount) +
           " を録音できませんでした。\nMIDI: " + midiPath + "\nWAV: " + wavPath + "\n\n" + FailureReason(failure) +
           "\n次のジョブに進みます。";
}

std::string WavCutText(const std::string& wavPath) {
    return WithPath("WAVファイル「%s」がWAVファイルの大きさの上限に達したため、録音をそこで打ち切りました。", wavPath);
}

std::string WavWriteFailedText(const std::string& wavPath) {
    return WithPath(
        "WAVファイル「%s」に書き込めませんでした。(ディスクの空き容量を確認してください)\n"
        "ファイルには書き込めたところまでの録音が残ります。",
        wavPath);
}

namespace {

std::string MinutesAndSeconds(std::uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
    return text;
}

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

std::string RunReportText(const std::vector<RecordedJob>& recorded, std::int32_t jobCount) {
    std::string lines;
    std::size_t named = 0;
    std::size_t unnamed = 0;
    for (const RecordedJob& job : recorded) {
        const bool silent = IsSilent(job.levels);
        if (!silent && !IsClipped(job.levels)) continue;
        if (named == kReportedJobLimit) {
            ++unnamed;
            continue;
        }
        ++named;
        lines += "\nジョブ " + std::to_string(job.position + 1) + "/" + std::to_string(jobCount) + ": " + job.wavPath + "\n";
        if (silent) {
            lines += "  無音です (ピーク " + DbfsText(job.levels.peakDbfs) +
                     " dBFS)。WAVE IN のデバイスと音源の接続を確かめて下さい。\n";
        } else {
            lines += "  音が割れています (クリップ " + std::to_string(job.levels.clipped) + " サンプル, ピーク " +
                     DbfsText(job.levels.peakDbfs) + " dBFS)。音源か入力の音量を下げて下さい。\n";
        }
    }
    if (named == 0) return "";
    if (unnamed > 0) lines += "\nほかに " + std::to_string(unnamed) + " 件あります (行のアイコンをご覧下さい)。\n";
    return "次のWAVファイルは録音し直した方がよさそうです。\n" + lines;
}

}  // namespace solvena
