#include "app/model/TrackPageModel.h"

namespace solvena {

namespace {

constexpr char kNoTrackCaption[] = "未定義のトラック";
constexpr char kNoTrackInfo[] = "--";

std::uint32_t TrackCount(const Song& song) { return song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks; }

std::string InfoText(const TrackInfo& track, std::int32_t displayMode,
                     const std::function<std::string(const TrackInfo&)>& instrumentName) {
    switch (displayMode) {
        case kChannelMode: return ChannelText(track);
        case kInstrumentMode: return instrumentName ? instrumentName(track) : std::string();
        case kPartMode: return track.instrumentName.value_or("");
        case kSizeMode: return std::to_string(track.shownLength);
        default: return {};
    }
}

}  // namespace

std::int64_t TrackOfRow(std::int32_t trackPage, int row) { return 8 * std::int64_t{trackPage} + row; }

std::string ChannelText(const TrackInfo& track) {
    std::string text = std::to_string(track.channel);
    text.insert(text.begin(), static_cast<char>(65 + track.port));
    return text;
}

TrackPageView BuildTrackPageView(const Song& song, const TrackTable& tracks, std::int32_t trackPage,
                                 std::int32_t displayMode,
                                 const std::function<std::string(const TrackInfo&)>& instrumentName) {
    TrackPageView view;
    const std::int64_t count = TrackCount(song);
    view.nextEnabled = TrackOfRow(trackPage, kTrackRows) < count;
    view.previousEnabled = trackPage > 0;
    for (int k = 0; k < kDisplayModes; ++k) view.modeEnabled[static_cast<std::size_t>(k)] = k != displayMode;
    for (int r = 0; r < kTrackRows; ++r) {
        TrackRow& row = view.rows[static_cast<std::size_t>(r)];
        const std::int64_t t = TrackOfRow(trackPage, r);
        if (t < 0 || t >= count) {
            row.caption = kNoTrackCaption;
            row.info = kNoTrackInfo;
            continue;
        }
        const TrackInfo& track = tracks[static_cast<std::size_t>(t)];
        row.used = true;
        row.caption = track.name.value_or("");
        row.checked = track.selected == 1;
        row.info = InfoText(track, displayMode, instrumentName);
    }
    return view;
}

}  // namespace solvena
