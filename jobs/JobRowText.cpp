#include "jobs/JobRowText.h"

namespace solvena {

namespace {

bool TrackOn(const std::array<std::uint8_t, kMaxTracks>& trackEnabled, std::size_t i) {
    return i < kMaxTracks && trackEnabled[i] == 1;
}

std::string EveryTrack(const std::array<std::uint8_t, kMaxTracks>& trackEnabled) {
    std::string text;
    for (std::size_t i = 0; i < kMaxTracks; ++i) {
        if (TrackOn(trackEnabled, i)) text += ' ' + std::to_string(i);
    }
    return text;
}

// Runs of two stay two numbers: "a-b" would be no shorter and reads less like the plain list.
std::string TrackRuns(const std::array<std::uint8_t, kMaxTracks>& trackEnabled) {
    std::string text;
    std::size_t i = 0;
    while (i < kMaxTracks) {
        if (!TrackOn(trackEnabled, i)) {
            ++i;
            continue;
        }
        std::size_t last = i;
        while (TrackOn(trackEnabled, last + 1)) ++last;
        if (last - i >= 2) {
            text += ' ' + std::to_string(i) + '-' + std::to_string(last);
        } else {
            for (std::size_t t = i; t <= last; ++t) text += ' ' + std::to_string(t);
        }
        i = last + 1;
    }
    return text;
}

}  // namespace

std::string ChannelsText(std::int32_t channels) {
    if (channels == 1) return "MONO";
    if (channels == 2) return "STEREO";
    // A list file may carry any count; showing it beats showing nothing.
    return std::to_string(channels);
}

std::string TrackNumbersText(const std::array<std::uint8_t, kMaxTracks>& trackEnabled) {
    std::string text = EveryTrack(trackEnabled);
    if (text.size() <= kBuiltCellLimit) return text;
    return TrackRuns(trackEnabled);
}

JobRowTexts RowTextsOf(const RecordingJob& job) {
    return {
        TextOf(job.midiPath),
        TextOf(job.wavPath),
        std::to_string(job.sampleRate),
        std::to_string(job.bitsPerSample),
        ChannelsText(job.channels),
        TrackNumbersText(job.trackEnabled),
        JobTimeText(job),
        JobSizeText(job),
        std::to_string(job.reverbSeconds),
    };
}

}  // namespace solvena
