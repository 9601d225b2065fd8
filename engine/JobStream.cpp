#include "engine/JobStream.h"

#include <algorithm>
#include <vector>

#include "engine/StreamMerge.h"

namespace solvena {

JobStreamInfo BuildJobStream(const Song& song, const TrackTable& tracks, std::int32_t startTick,
                             std::int32_t endTick, std::span<const std::uint8_t> trackEnabled) {
    JobStreamInfo info;
    CreateMergeBuffer();
    const std::size_t count = std::min<std::size_t>({song.trackCount, tracks.size(), trackEnabled.size()});
    std::vector<TrackBytes> selected;
    for (std::size_t i = 0; i < count; ++i) {
        if (trackEnabled[i] == 1) selected.push_back(TrackBytes{tracks[i].data, tracks[i].length});
    }
    // One pass over all the job's tracks: the bytes of merging them one by one, without
    // re-reading the growing stream for every track.
    mergedLength = MergeTracks(mergeBuffer, selected);
    info.mergedLength = mergedLength;
    std::uint32_t leadInEvents = 0;
    mergedLength = TrimToRange(mergeBuffer, startTick, endTick, mergedLength, &leadInEvents);
    info.trimmedLength = mergedLength;
    info.leadInTicks = std::uint64_t{leadInEvents} * kLeadInSpacing;
    info.result = BuildStreamBuffers(mergeBuffer, mergedLength);
    return info;
}

}  // namespace solvena
