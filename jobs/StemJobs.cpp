#include "jobs/StemJobs.h"

#include <algorithm>
#include <array>

#include "jobs/JobMessages.h"

namespace solvena {

namespace {

constexpr std::string_view kWavExtension = ".wav";

bool IsCp932TrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

bool RefusedInFileNames(unsigned char c) {
    return c < 0x20 || c == 0x7F || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

void DropTrailingDotsAndBlanks(std::string& text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
}

bool EndsWithWav(std::string_view path) {
    if (path.size() < kWavExtension.size()) return false;
    const std::string_view end = path.substr(path.size() - kWavExtension.size());
    return std::equal(end.begin(), end.end(), kWavExtension.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

std::string TwoDigits(std::uint32_t number) {
    const char digits[] = {static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10), '\0'};
    return digits;
}

std::string ConfirmText(const std::vector<RecordingJob>& jobs, const StemPlan& plan, std::size_t folderLength) {
    const std::string count = std::to_string(jobs.size());
    auto shown = [folderLength](const RecordingJob& job) { return TextOf(job.wavPath).substr(folderLength); };
    std::string text = "チェックした " + count + " トラックを、1トラックずつ " + count +
                       " 個のジョブとしてスタックしますか？\n\n" + shown(jobs.front());
    if (jobs.size() > 2) text += "\n…";
    if (jobs.size() > 1) text += '\n' + shown(jobs.back());
    if (!plan.shared.empty()) {
        text += "\n\nノートのないトラック";
        for (std::size_t i = 0; i < plan.shared.size(); ++i) {
            text += i == 0 ? " " : ", ";
            text += std::to_string(plan.shared[i]);
        }
        text += " は、どのジョブでも一緒に演奏します。";
    }
    return text;
}

StemSet Refused(std::string text) {
    StemSet set;
    set.refusal = std::move(text);
    return set;
}

}  // namespace

StemPlan PlanStems(const Song& song, const TrackTable& tracks) {
    StemPlan plan;
    const std::uint32_t count = std::min<std::uint32_t>(song.trackCount, kMaxTracks);
    for (std::uint32_t t = 0; t < count; ++t) {
        if (tracks[t].selected == 1) (tracks[t].hasNotes ? plan.stems : plan.shared).push_back(t);
    }
    return plan;
}

std::string FileNamePart(std::string_view text) {
    std::string part;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsCp932LeadByte(c)) {
            if (i + 1 < text.size() && IsCp932TrailByte(static_cast<unsigned char>(text[i + 1]))) {
                part += text.substr(i++, 2);
            } else {
                part += '_';
            }
            continue;
        }
        part += RefusedInFileNames(c) ? '_' : static_cast<char>(c);
    }
    DropTrailingDotsAndBlanks(part);
    return part;
}

std::string StemTrackName(const TrackInfo& track) {
    for (const std::optional<std::string>* text : {&track.name, &track.instrumentName}) {
        if (!text->has_value()) continue;
        std::string part = FileNamePart(**text);
        if (!part.empty()) return part;
    }
    return {};
}

std::string StemWavPath(std::string_view joinedPath, std::uint32_t track, std::string_view trackName,
                        std::size_t limit) {
    if (EndsWithWav(joinedPath)) joinedPath.remove_suffix(kWavExtension.size());
    std::string path = std::string(joinedPath) + "_" + TwoDigits(track);
    if (path.size() + kWavExtension.size() > limit) return {};
    const std::size_t room = limit - path.size() - kWavExtension.size();
    if (room > 1) {
        std::string part(CutToCp932Characters(trackName, room - 1));
        DropTrailingDotsAndBlanks(part);  // a cut may end on them
        if (!part.empty()) path += "_" + part;
    }
    return path += kWavExtension;
}

StemSet PlanStemJobs(const Song& song, const TrackTable& tracks, const StackInputs& inputs, std::int32_t jobsInUse) {
    if (const StackRefusal refusal = CheckPageInputs(inputs, song); refusal != StackRefusal::none) {
        return Refused(StackRefusalText(refusal, inputs, song));
    }
    const StemPlan plan = PlanStems(song, tracks);
    if (plan.stems.empty()) return Refused("チェックしたトラックにノートがありません。");
    const std::string joined = JoinedWavPath(song, inputs);
    StemSet set;
    for (const std::uint32_t stem : plan.stems) {
        const std::string path = StemWavPath(joined, stem, StemTrackName(tracks[stem]), kJoinedPathLimit);
        if (path.empty()) return Refused(StackRefusalText(StackRefusal::pathTooLong, inputs, song));
        std::array<std::uint8_t, kMaxTracks> flags{};
        for (const std::uint32_t t : plan.shared) flags[t] = 1;
        flags[stem] = 1;
        set.jobs.push_back(MakeJobOfTracks(song, inputs, path, flags));
    }
    const std::size_t room = kMaxJobs - static_cast<std::size_t>(
                                            std::clamp<std::int32_t>(jobsInUse, 0, static_cast<std::int32_t>(kMaxJobs)));
    if (set.jobs.size() > room) {
        return Refused(std::string(kJobTableFullText) + "\n空きは " + std::to_string(room) + " 件です。(トラック別のジョブは " +
                       std::to_string(set.jobs.size()) + " 件)");
    }
    set.question = ConfirmText(set.jobs, plan, TextOf(song.folder).size());
    return set;
}

std::size_t StemsAlreadyStacked(std::span<const RecordingJob> stacked, std::span<const RecordingJob> stems) {
    return static_cast<std::size_t>(std::count_if(stems.begin(), stems.end(), [stacked](const RecordingJob& stem) {
        return JobWithWavPath(stacked, TextOf(stem.wavPath)).has_value();
    }));
}

std::string StemsAlreadyStackedQuestion(std::size_t count) {
    std::string text = "同じ名前のWAVファイルがリスト上に ";
    text += std::to_string(count);
    return text += " 個存在します。\n このままスタックしますか？";
}

}  // namespace solvena
