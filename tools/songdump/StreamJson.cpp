#include "tools/songdump/StreamJson.h"

#include <array>
#include <string_view>
#include <vector>

#include "engine/JobStream.h"
#include "engine/StreamBuffers.h"

namespace solvena {

namespace {

Json RecordsJson(const StreamFill& fill) {
    std::vector<StreamRecord> records;
    DecodeStreamRecords(std::span<const std::uint8_t>(fill.bytes.data(), fill.bytesRecorded), records);
    Json json = Json::array();
    for (const StreamRecord& r : records) {
        const std::string_view params(reinterpret_cast<const char*>(r.params.data()), r.params.size());
        json.push_back({{"delta", r.delta}, {"streamId", r.streamId}, {"event", r.event}, {"params", HexText(params)}});
    }
    return json;
}

}  // namespace

void AddStreamMembers(Json& json, const Song& song, const TrackTable& tracks, std::uint32_t startTick,
                      std::uint32_t endTick, std::span<const std::uint32_t> selectedTracks) {
    std::array<std::uint8_t, kMaxTracks> trackEnabled{};
    for (std::uint32_t t : selectedTracks)
        if (t < kMaxTracks) trackEnabled[t] = 1;

    // Job ticks are signed 32-bit fields, as in a stacked job.
    const JobStreamInfo info = BuildJobStream(song, tracks, static_cast<std::int32_t>(startTick),
                                              static_cast<std::int32_t>(endTick), trackEnabled);
    json["mergedLength"] = info.mergedLength;
    json["trimmedLength"] = info.trimmedLength;
    json["fits"] = info.result == StreamBuildResult::built;
    json["callbacksExpected"] = callbacksExpected;
    Json& buffers = json["buffers"] = Json::array();
    for (const StreamFill& fill : streamFills) {
        if (fill.bytesRecorded == 0) continue;
        buffers.push_back({{"bytesRecorded", fill.bytesRecorded}, {"records", RecordsJson(fill)}});
    }
    ReleaseStreamBuffers();
}

}  // namespace solvena
