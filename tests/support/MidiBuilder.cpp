#include "support/MidiBuilder.h"

namespace solvena::test {

void AppendVarLen(ByteVec& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

void AppendBigEndian(ByteVec& out, std::uint32_t value, int count) {
    for (int shift = (count - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

TrackBuilder& TrackBuilder::Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    AppendVarLen(bytes_, delta);
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

TrackBuilder& TrackBuilder::Meta(std::uint32_t delta, std::uint8_t type, const ByteVec& data) {
    AppendVarLen(bytes_, delta);
    bytes_.push_back(0xFF);
    bytes_.push_back(type);
    AppendVarLen(bytes_, static_cast<std::uint32_t>(data.size()));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

TrackBuilder& TrackBuilder::Text(std::uint32_t delta, std::uint8_t type, const std::string& text) {
    return Meta(delta, type, ByteVec(text.begin(), text.end()));
}

TrackBuilder& TrackBuilder::Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
    ByteVec data;
    AppendBigEndian(data, microsPerQuarter, 3);
    return Meta(delta, 0x51, data);
}

TrackBuilder& TrackBuilder::TimeSignature(std::uint32_t delta, std::uint8_t numerator, std::uint8_t denominatorPower) {
    return Meta(delta, 0x58, {numerator, denominatorPower, 24, 8});
}

TrackBuilder& TrackBuilder::EndOfTrack(std::uint32_t delta) { return Meta(delta, 0x2F, {}); }

TrackBuilder& TrackBuilder::Raw(const ByteVec& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

SmfBuilder::SmfBuilder(std::uint16_t format, std::uint16_t trackCount, std::uint8_t divisionHigh,
                       std::uint8_t divisionLow) {
    bytes_ = {'M', 'T', 'h', 'd'};
    AppendBigEndian(bytes_, 6, 4);
    AppendBigEndian(bytes_, format, 2);
    AppendBigEndian(bytes_, trackCount, 2);
    bytes_.push_back(divisionHigh);
    bytes_.push_back(divisionLow);
}

SmfBuilder::SmfBuilder(std::uint16_t format, std::uint16_t trackCount, std::uint16_t division)
    : SmfBuilder(format, trackCount, static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)) {}

SmfBuilder& SmfBuilder::Track(const TrackBuilder& track) { return Track(track.Bytes()); }

SmfBuilder& SmfBuilder::Track(const ByteVec& data) {
    return Chunk("MTrk", static_cast<std::uint32_t>(data.size()), data);
}

SmfBuilder& SmfBuilder::Chunk(const char id[4], std::uint32_t declaredLength, const ByteVec& data) {
    bytes_.insert(bytes_.end(), id, id + 4);
    AppendBigEndian(bytes_, declaredLength, 4);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

SmfBuilder& SmfBuilder::Raw(const ByteVec& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

}  // namespace solvena::test
