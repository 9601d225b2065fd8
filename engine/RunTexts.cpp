#include "engine/RunTexts.h"

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

}  // namespace solvena
