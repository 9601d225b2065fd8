#include "jobs/JobStacking.h"

#include "jobs/JobMessages.h"
#include "song/Estimates.h"
#include "song/MusicalTime.h"

namespace solvena {

namespace {

constexpr std::size_t kEditCharacters = 3;

std::string LastBarText(const Song& song) {
    const std::int64_t last = LastBarNumber(song);
    return last >= 0 ? std::to_string(last) : "0";
}

// A number names a bar of the song when a bar line carries it; 0 is always the song's start.
bool NamesABar(std::int32_t bar, const Song& song) { return bar == 0 || BarToTick(bar, song) != 0; }

}  // namespace

std::int32_t ReadEditNumber(std::string_view text) {
    text = text.substr(0, kEditCharacters);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

StackRefusal CheckStackInputs(const StackInputs& inputs, const Song& song, std::int32_t jobsInUse) {
    if (jobsInUse >= static_cast<std::int32_t>(kMaxJobs)) return StackRefusal::tableFull;
    if (const StackRefusal refusal = CheckPageInputs(inputs, song); refusal != StackRefusal::none) return refusal;
    // ".wav" may still be added: the path it would then be must fit too.
    const std::string joined = JoinedWavPath(song, inputs);
    if (joined.size() + (LacksWavExtension(joined) ? 4 : 0) > kJoinedPathLimit) return StackRefusal::pathTooLong;
    return StackRefusal::none;
}

StackRefusal CheckPageInputs(const StackInputs& inputs, const Song& song) {
    if (inputs.wavName.empty()) return StackRefusal::noWavName;
    const std::int32_t start = ReadEditNumber(inputs.startBar);
    const std::int32_t end = ReadEditNumber(inputs.endBar);
    if (start >= end) return StackRefusal::endNotAfterStart;
    // A bar the song does not have would give tick 0: a job from the song's start, or one that
    // records nothing.
    if (!NamesABar(start, song)) return StackRefusal::noStartBar;
    if (!NamesABar(end, song) || end == 0) return StackRefusal::noEndBar;
    return StackRefusal::none;
}

std::string StackRefusalText(StackRefusal refusal, const StackInputs& inputs, const Song& song) {
    switch (refusal) {
        case StackRefusal::none: return {};
        case StackRefusal::tableFull: return kJobTableFullText;
        case StackRefusal::noWavName: return "WAVファイル名を入力してください。";
        case StackRefusal::endNotAfterStart: return "終了位置が開始位置の手前にあります。";
        case StackRefusal::noStartBar:
            return "録音開始小節 " + std::to_string(ReadEditNumber(inputs.startBar)) +
                   " はこの曲にありません。\n最後の小節は " + LastBarText(song) + " です。";
        case StackRefusal::noEndBar:
            return "録音終了小節 " + std::to_string(ReadEditNumber(inputs.endBar)) +
                   " はこの曲にありません。\n最後の小節は " + LastBarText(song) + " です。";
        case StackRefusal::pathTooLong:
            return "WAVファイルのパスが長すぎます。(" + std::to_string(kJoinedPathLimit) + "文字まで)";
    }
    return {};
}

std::string JoinedWavPath(const Song& song, const StackInputs& inputs) { return TextOf(song.folder) + inputs.wavName; }

std::optional<std::int32_t> JobWithWavPath(std::span<const RecordingJob> jobs, std::string_view path) {
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (TextOf(jobs[i].wavPath) == path) return static_cast<std::int32_t>(i);
    }
    return std::nullopt;
}

bool LacksWavExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos || path.substr(dot) != ".wav";
}

RecordingJob MakeStackedJob(const Song& song, const TrackTable& tracks, const StackInputs& inputs,
                            const std::string& wavPath) {
    std::array<std::uint8_t, kMaxTracks> flags{};
    for (std::size_t i = 0; i < kMaxTracks; ++i) flags[i] = tracks[i].selected == 1 ? 1 : 0;
    return MakeJobOfTracks(song, inputs, wavPath, flags);
}

RecordingJob MakeJobOfTracks(const Song& song, const StackInputs& inputs, const std::string& wavPath,
                             const std::array<std::uint8_t, kMaxTracks>& trackFlags) {
    RecordingJob job;
    SetText(job.midiPath, TextOf(song.path));
    SetText(job.wavPath, wavPath);
    job.midiOutDevice = inputs.midiOutDevice;
    job.waveInDevice = inputs.waveInDevice;
    job.sampleRate = inputs.sampleRate;
    job.bitsPerSample = inputs.bitsPerSample;
    job.channels = inputs.channels;
    job.startTick = static_cast<std::int32_t>(BarToTick(ReadEditNumber(inputs.startBar), song));
    job.endTick = static_cast<std::int32_t>(BarToTick(ReadEditNumber(inputs.endBar), song));
    job.reverbSeconds = ReadEditNumber(inputs.reverb);
    job.expectedSeconds = ExpectedSeconds(song, static_cast<std::uint32_t>(job.startTick),
                                          static_cast<std::uint32_t>(job.endTick), job.reverbSeconds);
    const std::uint32_t count = song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks;
    for (std::uint32_t i = 0; i < count; ++i) job.trackEnabled[i] = trackFlags[i] == 1 ? 1 : 0;
    job.enabled = 1;
    return job;
}

}  // namespace solvena
