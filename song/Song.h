// The in-memory song: header values, owned texts, the shared 64-entry track table
// and the conductor list. Plain records; buffers are allocated up front and replaced whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solvena {

constexpr std::size_t kMaxTracks = 64;
constexpr std::size_t kTrackBufferSize = 65536;
constexpr std::size_t kConductorSlots = 2048;
constexpr std::size_t kPathSize = 512;
constexpr std::size_t kFolderSize = 256;
constexpr std::size_t kTitleSize = 256;

// Byte positions inside a track or stream buffer. Signed so that -1 can say
// "cannot be sized"; 64-bit so that declared lengths from a file never overflow.
using ByteIndex = std::int64_t;

struct ConductorEntry {
    std::uint32_t tick = 0;
    std::uint32_t word = 0;  // kind << 24 | value (24 bits)

    std::uint32_t Kind() const { return word >> 24; }
    std::uint32_t Value() const { return word & 0xFFFFFFu; }
};

enum ConductorKind : std::uint32_t {
    kMarker = 1,
    kCuePoint = 2,
    kTempo = 3,
    kTimeSignature = 4,
    kBarLine = 5,
    kMajorBarLine = 6,
    kSongEnd = 7,
};

struct Song {
    std::uint32_t trackCount = 0;  // 0 = no song loaded
    std::int32_t division = 0;     // ticks per quarter note
    std::uint32_t format = 0;
    std::vector<ConductorEntry> conductor;  // kConductorSlots slots when present; slot 0 all zero
    std::uint32_t conductorLast = 0;
    std::array<char, kPathSize> path{};
    std::array<char, kPathSize> wavPath{};
    std::array<char, kFolderSize> folder{};
    std::array<char, kTitleSize> title{};

    // Gives the song a fresh, empty conductor list (all slots zero, conductorLast 0).
    void ResetConductor();
};

struct TrackInfo {
    // The chunk's bytes; zero-filled to at least kTrackBufferSize. A longer chunk gets a
    // buffer of its own length so that the whole track plays.
    std::vector<std::uint8_t> data;
    std::uint32_t length = 0;
    // The length the track page shows. Set by the scan of an opened song; the loads that follow
    // (a failed open, the run's songs) and the run's release of the bytes leave it as it is.
    std::uint32_t shownLength = 0;
    std::int32_t bankMsb = 1;
    std::int32_t bankLsb = 1;
    std::int32_t program = 0;
    bool hasProgram = false;  // a program change was seen (program 0 is a program too)
    std::int32_t channel = 0;
    std::int32_t port = 0;
    std::optional<std::string> name;
    std::optional<std::string> instrumentName;
    std::uint32_t firstNoteTick = 0;
    // A note-on with a velocity above 0 was seen: the track sounds (a note-on of velocity 0 is a
    // note-off).
    bool hasNotes = false;
    std::uint32_t endTick = 0;
    std::uint8_t selected = 0;
};

using TrackTable = std::array<TrackInfo, kMaxTracks>;

// The valid part of a track's buffer: readers treat everything past it as zero.
inline std::size_t TrackBytesAvailable(const TrackInfo& t) { return t.data.size(); }

// Zero-terminated text of a fixed buffer, as a string of its bytes.
template <std::size_t N>
std::string TextOf(const std::array<char, N>& buf) {
    std::size_t n = 0;
    while (n < N && buf[n] != '\0') ++n;
    return std::string(buf.data(), n);
}

// Copies text into a fixed buffer, cut to fit with its terminating zero; the rest is zeroed.
template <std::size_t N>
void SetText(std::array<char, N>& buf, const std::string& text) {
    buf.fill('\0');
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < n; ++i) buf[i] = text[i];
}

// The first byte of a double-byte character of code page 932: the byte after it may be 0x5C,
// the path separator, without being one.
inline bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The longest start of `text` of at most `limit` bytes that does not split a double-byte character.
inline std::string_view CutToCp932Characters(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace solvena
