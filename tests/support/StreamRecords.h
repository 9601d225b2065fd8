// MIDIEVENT records as a stream buffer carries them, for the loopback studio's tests: each test
// states its own records.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/StreamBuffers.h"

namespace solvena::test {

class StreamRecords {
public:
    StreamRecords& Short(std::uint32_t delta, std::uint32_t message, bool callback = false) {
        return Record(delta, kMevtShortMsg | (message & kMevtValueMask), callback);
    }
    StreamRecords& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter, bool callback = false) {
        return Record(delta, kMevtTempo | microsPerQuarter, callback);
    }
    StreamRecords& Nop(std::uint32_t delta, bool callback = false) { return Record(delta, kMevtNop, callback); }
    StreamRecords& Long(std::uint32_t delta, std::initializer_list<std::uint8_t> message, bool callback = false) {
        Record(delta, kMevtLongMsg | static_cast<std::uint32_t>(message.size()), callback);
        bytes_.insert(bytes_.end(), message);
        bytes_.resize(bytes_.size() + (4 - message.size() % 4) % 4, 0);
        return *this;
    }

    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }

private:
    StreamRecords& Record(std::uint32_t delta, std::uint32_t event, bool callback) {
        for (std::uint32_t word : {delta, 0u, event | (callback ? kMevtFCallback : 0u)}) {
            for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(word >> shift));
        }
        return *this;
    }

    std::vector<std::uint8_t> bytes_;
};

// A short message word: status, then its two data bytes.
constexpr std::uint32_t ShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0) {
    return status | std::uint32_t{data1} << 8 | std::uint32_t{data2} << 16;
}

}  // namespace solvena::test
