#include "app/model/SongPictureModel.h"

#include "song/MusicalTime.h"

namespace solvena {

namespace {

constexpr int kBarHeight = 3;
constexpr int kLabelOffset = 7;

struct LabelShape {
    std::uint32_t kind;
    int y, width, height;
};

constexpr LabelShape kLabelShapes[] = {
    {kMarker, 70, 15, 12},
    {kCuePoint, 70, 15, 12},
    {kTempo, 90, 15, 12},
    {kTimeSignature, 110, 15, 12},
    {kMajorBarLine, 130, 2, 80},
};

const LabelShape* ShapeOf(std::uint32_t kind) {
    for (const LabelShape& shape : kLabelShapes) {
        if (shape.kind == kind) return &shape;
    }
    return nullptr;
}

// The value's three bytes, high first, up to a zero byte; a double-byte character whose second
// byte did not make it into the entry is left out rather than shown as a stray byte.
std::string EntryBytes(std::uint32_t value) {
    std::string text;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const auto byte = static_cast<std::uint8_t>(value >> shift);
        if (byte == 0) break;
        text.push_back(static_cast<char>(byte));
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(text[i]))) continue;
        if (i + 1 == text.size()) text.pop_back();
        ++i;
    }
    return text;
}

std::string TempoText(std::uint32_t microsPerQuarter) {
    if (microsPerQuarter == 0) return "999";  // no time per beat: as fast as the label can say
    const std::uint32_t bpm = 60000000u / microsPerQuarter;
    return bpm >= 1000 ? "999" : std::to_string(bpm);
}

std::string TimeSignatureText(std::uint32_t value) {
    const std::uint32_t numerator = (value >> 16) & 0xFF;
    const std::uint32_t power = (value >> 8) & 0xFF;
    const std::string numeratorText = std::to_string(numerator);
    if (power >= 32) return numeratorText;
    const std::string full = numeratorText + "/" + std::to_string(std::uint64_t{1} << power);
    // The label is 15 pixels wide: three characters.
    return full.size() <= 3 ? full : numeratorText;
}

}  // namespace

std::uint32_t PictureScaleEnd(const Song& song, const TrackTable& tracks) {
    std::uint32_t maxEnd = 0;
    const std::uint32_t count = song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks;
    for (std::uint32_t t = 0; t < count; ++t) {
        if (tracks[t].endTick > maxEnd) maxEnd = tracks[t].endTick;
    }
    return maxEnd;
}

int XOfTick(std::uint32_t tick, std::uint32_t maxEnd) {
    if (maxEnd == 0) return kSongFrame.x;
    return static_cast<int>(std::uint64_t{tick} * 400 / maxEnd) + kSongFrame.x;
}

std::string ConductorLabelText(const ConductorEntry& entry) {
    switch (entry.Kind()) {
        case kMarker:
        case kCuePoint: return EntryBytes(entry.Value());
        case kTempo: return TempoText(entry.Value());
        case kTimeSignature: return TimeSignatureText(entry.Value());
        default: return {};
    }
}

SongPictureModel BuildSongPictureModel(const Song& song, const TrackTable& tracks) {
    SongPictureModel picture;
    picture.maxEnd = PictureScaleEnd(song, tracks);
    const std::uint32_t count = song.trackCount < kMaxTracks ? song.trackCount : kMaxTracks;
    for (std::uint32_t t = 0; t < count; ++t) {
        const int x = XOfTick(tracks[t].firstNoteTick, picture.maxEnd);
        const int end = XOfTick(tracks[t].endTick, picture.maxEnd);
        picture.trackBars.push_back({x, kSongFrame.y + kBarHeight * static_cast<int>(t), end > x ? end - x : 0, kBarHeight});
    }
    for (std::uint32_t i = 0; i <= song.conductorLast && i < song.conductor.size(); ++i) {
        const ConductorEntry& entry = song.conductor[i];
        const LabelShape* shape = ShapeOf(entry.Kind());
        if (shape == nullptr) continue;
        picture.labels.push_back({entry.Kind(),
                                  {XOfTick(entry.tick, picture.maxEnd) - kLabelOffset, shape->y, shape->width,
                                   shape->height},
                                  ConductorLabelText(entry)});
    }
    if (const std::int64_t last = LastBarNumber(song); last >= 0) picture.endBar = last;
    return picture;
}

}  // namespace solvena
