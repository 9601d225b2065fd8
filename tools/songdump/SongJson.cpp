#include "tools/songdump/SongJson.h"

#include <algorithm>

#include "song/Estimates.h"
#include "song/MusicalTime.h"
#include "tools/songdump/StreamJson.h"

namespace solvena {

namespace {

Json TextOrNull(const std::optional<std::string>& text) { return text ? Json(HexText(*text)) : Json(nullptr); }

Json TrackJson(const TrackInfo& t) {
    return {{"length", t.length},
            {"bankMsb", t.bankMsb},
            {"bankLsb", t.bankLsb},
            {"program", t.program},
            {"channel", t.channel},
            {"port", t.port},
            {"name", TextOrNull(t.name)},
            {"instrumentName", TextOrNull(t.instrumentName)},
            {"firstNoteTick", t.firstNoteTick},
            {"hasNotes", t.hasNotes},
            {"endTick", t.endTick}};
}

}  // namespace

void AddSongMembers(Json& json, const Song& song, const TrackTable& tracks) {
    json["format"] = song.format;
    json["trackCount"] = song.trackCount;
    json["division"] = song.division;
    json["title"] = HexText(TextOf(song.title));

    Json& trackList = json["tracks"] = Json::array();
    const std::size_t shown = std::min<std::size_t>(song.trackCount, kMaxTracks);
    for (std::size_t i = 0; i < shown; ++i) trackList.push_back(TrackJson(tracks[i]));

    Json& conductor = json["conductor"] = Json::array();
    // Slots past the buffer would be a broken list; never read them.
    const std::size_t last = std::min<std::size_t>(song.conductorLast, song.conductor.empty() ? 0 : song.conductor.size() - 1);
    for (std::size_t slot = 1; slot <= last; ++slot) {
        const ConductorEntry& e = song.conductor[slot];
        conductor.push_back({{"tick", e.tick}, {"kind", e.Kind()}, {"value", e.Value()}});
    }

    const std::int64_t endBar = LastBarNumber(song);
    json["endBar"] = endBar < 0 ? Json(nullptr) : Json(endBar);
}

Json JobJson(const JobRequest& job, const Song& song, const TrackTable& tracks,
             std::span<const std::uint32_t> selectedTracks) {
    const std::int32_t expected = ExpectedSeconds(song, job.startTick, job.endTick, job.reverbSeconds);
    Json json = {{"startTick", job.startTick},
                 {"endTick", job.endTick},
                 {"seconds", SecondsBetween(job.startTick, job.endTick, song)},
                 {"expectedSeconds", expected},
                 {"timeText", TimeText(expected)},
                 {"sizeText", SizeText(job.sampleRate, expected, job.bitsPerSample, job.channels)}};
    AddStreamMembers(json, song, tracks, job.startTick, job.endTick, selectedTracks);
    return json;
}

}  // namespace solvena
