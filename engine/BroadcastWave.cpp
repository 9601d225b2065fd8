#include "engine/BroadcastWave.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "song/Song.h"

namespace solvena {

namespace {

constexpr std::uint16_t kBextVersion = 2;
// The loudness fields of a file whose loudness was not measured.
constexpr std::uint16_t kNotMeasured = 0x7FFF;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t field) {
    const std::size_t kept = CutToCp932Characters(text, field).size();
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(kept));
    out.resize(out.size() + field - kept, 0);
}

// Byte by byte: g++ 12 takes an insert into an empty vector for an overflow.
void PutId(std::vector<std::uint8_t>& out, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

}  // namespace

std::string JobDescription(const std::string& midiPath, const SongTimeline& timeline, std::uint32_t startTick,
                           std::uint32_t endTick, std::span<const std::uint8_t> trackEnabled, std::uint32_t trackCount) {
    // A double-byte character's second byte may be 0x5C or 0x2F: the name starts after the last
    // separator that is a character of its own.
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < midiPath.size(); ++i) {
        const auto c = static_cast<unsigned char>(midiPath[i]);
        if (IsCp932LeadByte(c)) {
            ++i;
        } else if (c == '\\' || c == '/' || c == ':') {
            nameStart = i + 1;
        }
    }
    // Appended piece by piece, which mingw's g++ 12 compiles without a false overlap warning.
    std::string text = midiPath.substr(nameStart);
    const std::optional<std::int32_t> from = BarAtTick(timeline, startTick), to = BarAtTick(timeline, endTick);
    text.append(from && to ? ", bars " : ", ticks ");
    text.append(std::to_string(from && to ? *from : static_cast<std::int64_t>(startTick)));
    text.append("-");
    text.append(std::to_string(from && to ? *to : static_cast<std::int64_t>(endTick)));
    text.append(", tracks ");
    bool first = true;
    for (std::uint32_t t = 0; t < trackCount && t < trackEnabled.size(); ++t) {
        if (trackEnabled[t] != 1) continue;
        if (!first) text.append(",");
        text.append(std::to_string(t));
        first = false;
    }
    return text;
}

std::string CodingHistoryLine(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
    char line[kCodingHistoryBytes];
    std::snprintf(line, sizeof line, "A=PCM,F=%u,W=%u,M=%s,T=Solvena 1.00\r\n", static_cast<unsigned>(rate),
                  static_cast<unsigned>(bits), channels == 1 ? "mono" : "stereo");
    return line;
}

std::vector<std::uint8_t> BextChunkBody(const BextFields& f) {
    std::vector<std::uint8_t> out;
    out.reserve(kBextChunkBytes);
    PutText(out, f.description, 256);
    PutText(out, "Solvena", 32);
    PutText(out, f.originatorReference, 32);
    PutText(out, f.date, 10);
    PutText(out, f.time, 8);
    Put(out, f.timeReference, 8);  // TimeReferenceLow, then High
    Put(out, kBextVersion, 2);
    out.resize(out.size() + 64, 0);  // no UMID
    for (int i = 0; i < 5; ++i) Put(out, kNotMeasured, 2);
    out.resize(kBextFixedBytes, 0);  // reserved
    PutText(out, CodingHistoryLine(f.rate, f.bits, f.channels), kCodingHistoryBytes);
    return out;
}

std::uint64_t FramesToTick(const SongTimeline& timeline, std::uint32_t tick, std::uint32_t rate) {
    return static_cast<std::uint64_t>(std::llround(SecondsAtTick(timeline, tick) * rate));
}

std::vector<CuePoint> CuePointsOf(const SongTimeline& timeline, std::uint32_t startTick, std::uint32_t rate,
                                  std::uint64_t takeFrames) {
    std::vector<CuePoint> points;
    const double start = SecondsAtTick(timeline, startTick);
    for (const TimedText& mark : timeline.marks) {
        if (mark.tick < startTick) continue;
        const auto frame = static_cast<std::uint64_t>(std::llround((SecondsAtTick(timeline, mark.tick) - start) * rate));
        if (frame >= takeFrames) break;
        points.push_back({frame, mark.text});
    }
    return points;
}

std::vector<std::uint8_t> CueChunkBody(const std::vector<CuePoint>& points) {
    std::vector<std::uint8_t> out;
    Put(out, points.size(), 4);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto frame = static_cast<std::uint32_t>(std::min<std::uint64_t>(points[i].frame, 0xFFFFFFFFu));
        Put(out, i + 1, 4);  // its id
        Put(out, frame, 4);  // its place in play order: the file has no playlist
        PutId(out, "data");
        Put(out, 0, 4);      // the data chunk's start and block: plain PCM
        Put(out, 0, 4);
        Put(out, frame, 4);  // its frame in the data chunk
    }
    return out;
}

std::vector<std::uint8_t> LabelListBody(const std::vector<CuePoint>& points) {
    std::vector<std::uint8_t> out;
    PutId(out, "adtl");
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string& text = points[i].label;
        PutId(out, "labl");
        Put(out, 4 + text.size() + 1, 4);
        Put(out, i + 1, 4);
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
        if (out.size() % 2 != 0) out.push_back(0);
    }
    return out;
}

std::uint64_t CueChunksBytes(const std::vector<CuePoint>& points) {
    if (points.empty()) return 0;
    return 8 + CueChunkBody(points).size() + 8 + LabelListBody(points).size();
}

}  // namespace solvena
