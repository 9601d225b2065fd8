#include "tools/songdump/StreamJson.h"

#include <array>
#include <string_view>
#include <vector>

#include "engine/JobStream.h"
#include "engine/StreamBuffers.h"

namespace solvena {

namespace {

void WriteRecords(JsonWriter& json, const StreamFill& fill) {
    std::vector<StreamRecord> records;
    DecodeStreamRecords(std::span<const std::uint8_t>(fill.bytes.data(), fill.bytesRecorded), records);
    json.Key("records");
    json.BeginArray();
    for (const StreamRecord& r : records) {
        json.BeginObject(true);
        json.Key("delta");
        json.Int(r.delta);
        json.Key("streamId");
        json.Int(r.streamId);
        json.Key("event");
        json.Int(r.event);
        json.Key("params");
        json.HexBytes(std::string_view(reinterpret_cast<const char*>(r.params.data()), r.params.size()));
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

void WriteStreamMembers(JsonWriter& json, const Song& song, const TrackTable& tracks, std::uint32_t startTick,
                        std::uint32_t endTick, std::span<const std::uint32_t> selectedTracks) {
    std::array<std::uint8_t, kMaxTracks> trackEnabled{};
    for (std::uint32_t t : selectedTracks)
        if (t < kMaxTracks) trackEnabled[t] = 1;

    // Job ticks are signed 32-bit fields, as in a stacked job.
    const JobStreamInfo info = BuildJobStream(song, tracks, static_cast<std::int32_t>(startTick),
                                              static_cast<std::int32_t>(endTick), trackEnabled);
    json.Key("mergedLength");
    json.Int(static_cast<std::int64_t>(info.mergedLength));
    json.Key("trimmedLength");
    json.Int(static_cast<std::int64_t>(info.trimmedLength));
    json.Key("fits");
    json.Bool(info.result == StreamBuildResult::built);
    json.Key("callbacksExpected");
    json.Int(callbacksExpected);
    json.Key("buffers");
    json.BeginArray();
    for (const StreamFill& fill : streamFills) {
        if (fill.bytesRecorded == 0) continue;
        json.BeginObject();
        json.Key("bytesRecorded");
        json.Int(fill.bytesRecorded);
        WriteRecords(json, fill);
        json.EndObject();
    }
    json.EndArray();
    ReleaseStreamBuffers();
}

}  // namespace solvena
