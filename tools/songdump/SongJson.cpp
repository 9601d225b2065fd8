#include "tools/songdump/SongJson.h"

#include <algorithm>

#include "song/Estimates.h"
#include "song/MusicalTime.h"
#include "tools/songdump/StreamJson.h"

namespace solvena {

namespace {

void TextOrNull(JsonWriter& json, const std::optional<std::string>& text) {
    if (text) {
        json.HexBytes(*text);
    } else {
        json.Null();
    }
}

void WriteTrack(JsonWriter& json, const TrackInfo& t) {
    json.BeginObject(true);
    json.Key("length");
    json.Int(t.length);
    json.Key("bankMsb");
    json.Int(t.bankMsb);
    json.Key("bankLsb");
    json.Int(t.bankLsb);
    json.Key("program");
    json.Int(t.program);
    json.Key("channel");
    json.Int(t.channel);
    json.Key("port");
    json.Int(t.port);
    json.Key("name");
    TextOrNull(json, t.name);
    json.Key("instrumentName");
    TextOrNull(json, t.instrumentName);
    json.Key("firstNoteTick");
    json.Int(t.firstNoteTick);
    json.Key("endTick");
    json.Int(t.endTick);
    json.EndObject();
}

}  // namespace

void WriteSongMembers(JsonWriter& json, const Song& song, const TrackTable& tracks) {
    json.Key("format");
    json.Int(song.format);
    json.Key("trackCount");
    json.Int(song.trackCount);
    json.Key("division");
    json.Int(song.division);
    json.Key("title");
    json.HexBytes(TextOf(song.title));

    json.Key("tracks");
    json.BeginArray();
    const std::size_t shown = std::min<std::size_t>(song.trackCount, kMaxTracks);
    for (std::size_t i = 0; i < shown; ++i) WriteTrack(json, tracks[i]);
    json.EndArray();

    json.Key("conductor");
    json.BeginArray();
    // Slots past the buffer would be a broken list; never read them.
    const std::size_t last = std::min<std::size_t>(song.conductorLast, song.conductor.empty() ? 0 : song.conductor.size() - 1);
    for (std::size_t slot = 1; slot <= last; ++slot) {
        const ConductorEntry& e = song.conductor[slot];
        json.BeginObject(true);
        json.Key("tick");
        json.Int(e.tick);
        json.Key("kind");
        json.Int(e.Kind());
        json.Key("value");
        json.Int(e.Value());
        json.EndObject();
    }
    json.EndArray();

    json.Key("endBar");
    const std::int64_t endBar = LastBarNumber(song);
    if (endBar < 0) {
        json.Null();
    } else {
        json.Int(endBar);
    }
}

void WriteJob(JsonWriter& json, const JobRequest& job, const Song& song, const TrackTable& tracks,
              std::span<const std::uint32_t> selectedTracks) {
    const std::int32_t seconds = SecondsBetween(job.startTick, job.endTick, song);
    const std::int32_t expected = ExpectedSeconds(song, job.startTick, job.endTick, job.reverbSeconds);

    json.Key("job");
    json.BeginObject();
    json.Key("startTick");
    json.Int(job.startTick);
    json.Key("endTick");
    json.Int(job.endTick);
    json.Key("seconds");
    json.Int(seconds);
    json.Key("expectedSeconds");
    json.Int(expected);
    json.Key("timeText");
    json.String(TimeText(expected));
    json.Key("sizeText");
    json.String(SizeText(job.sampleRate, expected, job.bitsPerSample, job.channels));
    WriteStreamMembers(json, song, tracks, job.startTick, job.endTick, selectedTracks);
    json.EndObject();
}

}  // namespace solvena
