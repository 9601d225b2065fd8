// Event bytes for the stream-building tests: a delta time, then the event's bytes as given
// (a status byte, or running-status data), so every test states its own input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "engine/StreamBuffers.h"
#include "song/EventPrimitives.h"

namespace solvena::test {

class EventBytes {
public:
    EventBytes& At(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
        Delta(delta);
        bytes_.insert(bytes_.end(), bytes);
        return *this;
    }

    // A system-exclusive event F0 <length> <data...>; the data counts up from `first`.
    EventBytes& SysEx(std::uint32_t delta, std::uint32_t dataBytes, std::uint8_t first = 0) {
        Delta(delta);
        bytes_.push_back(0xF0);
        Delta(dataBytes);
        for (std::uint32_t k = 0; k < dataBytes; ++k) bytes_.push_back(static_cast<std::uint8_t>((first + k) & 0x7F));
        return *this;
    }

    EventBytes& Repeat(std::size_t times, std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
        for (std::size_t k = 0; k < times; ++k) At(delta, bytes);
        return *this;
    }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    void Delta(std::uint32_t value) {
        std::uint8_t out[5];
        const int n = WriteVarLen(value, out);
        bytes_.insert(bytes_.end(), out, out + n);
    }

    std::vector<std::uint8_t> bytes_;
};

// The records of one fill, as the stream service would read them.
inline std::vector<StreamRecord> RecordsOf(const StreamFill& fill) {
    std::vector<StreamRecord> records;
    DecodeStreamRecords(std::span<const std::uint8_t>(fill.bytes.data(), fill.bytesRecorded), records);
    return records;
}

}  // namespace solvena::test
