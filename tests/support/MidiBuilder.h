// Builds Standard MIDI File bytes for tests, so every test states its own input.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace solvena::test {

using ByteVec = std::vector<std::uint8_t>;

// Appends value as a variable-length quantity (fewest bytes).
void AppendVarLen(ByteVec& out, std::uint32_t value);
void AppendBigEndian(ByteVec& out, std::uint32_t value, int count);

// The data bytes of one track chunk, event by event. Nothing is added implicitly:
// running status is written by giving an event without its status byte.
class TrackBuilder {
public:
    // Delta time followed by the bytes as given (status byte or running-status data).
    TrackBuilder& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
    TrackBuilder& Meta(std::uint32_t delta, std::uint8_t type, const ByteVec& data);
    TrackBuilder& Text(std::uint32_t delta, std::uint8_t type, const std::string& text);
    TrackBuilder& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter);
    TrackBuilder& TimeSignature(std::uint32_t delta, std::uint8_t numerator, std::uint8_t denominatorPower);
    TrackBuilder& EndOfTrack(std::uint32_t delta);
    TrackBuilder& Raw(const ByteVec& bytes);

    const ByteVec& Bytes() const { return bytes_; }

private:
    ByteVec bytes_;
};

// A whole file: the "MThd" chunk, then chunks in the order given.
class SmfBuilder {
public:
    SmfBuilder(std::uint16_t format, std::uint16_t trackCount, std::uint8_t divisionHigh, std::uint8_t divisionLow);
    // Convenience for an ordinary ticks-per-quarter division.
    SmfBuilder(std::uint16_t format, std::uint16_t trackCount, std::uint16_t division);

    SmfBuilder& Track(const TrackBuilder& track);
    SmfBuilder& Track(const ByteVec& data);
    // A chunk whose declared length may differ from the bytes that follow it.
    SmfBuilder& Chunk(const char id[4], std::uint32_t declaredLength, const ByteVec& data);
    SmfBuilder& Raw(const ByteVec& bytes);

    const ByteVec& Bytes() const { return bytes_; }

private:
    ByteVec bytes_;
};

}  // namespace solvena::test
