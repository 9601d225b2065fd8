#include "song/SongLoader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace solvena {

namespace {

std::uint8_t NextByte(ByteStream& stream) {
    if (stream.AtEnd()) {
        ++stream.pos;  // keeps AtEnd() true and counts the missing byte
        return 0;
    }
    return stream.bytes[stream.pos++];
}

// Every entry gets an all-zero buffer of the standard size. A buffer that already has that
// size only needs the bytes the last load wrote (its first `length` bytes) cleared, which
// keeps opening a song cheap; the observable result is a fresh zero-filled buffer.
void PrepareTrackBuffers(TrackTable& tracks) {
    for (TrackInfo& t : tracks) {
        if (t.data.size() == kTrackBufferSize) {
            std::size_t dirty = std::min<std::size_t>(t.length, t.data.size());
            std::memset(t.data.data(), 0, dirty);
        } else {
            t.data.assign(kTrackBufferSize, 0);
        }
        t.length = 0;
    }
}

}  // namespace

int ReadChunkId(ByteStream& stream) {
    char id[4];
    bool complete = stream.Remaining() >= 4;
    for (char& c : id) c = static_cast<char>(NextByte(stream));
    if (!complete) return 0;
    if (std::memcmp(id, "MThd", 4) == 0) return 1;
    if (std::memcmp(id, "MTrk", 4) == 0) return 2;
    return 0;
}

std::uint32_t ReadBigEndian(int count, ByteStream& stream) {
    std::uint32_t value = 0;
    for (int k = 0; k < count; ++k) value = (value << 8) | NextByte(stream);
    return value;
}

void ReleaseTrackBuffers(TrackTable& tracks) {
    for (TrackInfo& t : tracks) {
        std::vector<std::uint8_t>().swap(t.data);
        t.length = 0;
    }
}

bool LoadSongFromBytes(std::span<const std::uint8_t> file, Song& song, TrackTable& tracks) {
    PrepareTrackBuffers(tracks);

    ByteStream stream{file, 0};
    if (ReadChunkId(stream) != 1 || ReadBigEndian(4, stream) != 6) return false;
    const std::uint32_t format = ReadBigEndian(2, stream);
    const std::uint32_t declaredTracks = ReadBigEndian(2, stream);
    const auto high = static_cast<std::int8_t>(NextByte(stream));
    const std::uint8_t low = NextByte(stream);
    const std::int32_t division = static_cast<std::int32_t>(high) * 256 + low;
    // SMPTE time (top bit set) and a zero division give no tempo-based time at all;
    // such a file cannot be timed, so it is not taken as a song.
    if (division <= 0) return false;

    song.format = format;
    song.trackCount = std::min<std::uint32_t>(declaredTracks, kMaxTracks);
    song.division = division;

    for (std::uint32_t t = 0; t < song.trackCount; ++t) {
        if (ReadChunkId(stream) != 2) return true;
        const std::uint32_t declared = ReadBigEndian(4, stream);
        // A file shorter than its declared length keeps what it actually holds.
        const std::size_t length = std::min<std::size_t>(declared, stream.Remaining());
        TrackInfo& track = tracks[t];
        if (length > track.data.size()) track.data.resize(length, 0);
        if (length > 0) std::memcpy(track.data.data(), file.data() + stream.pos, length);
        stream.pos += length;
        track.length = static_cast<std::uint32_t>(length);
    }
    return true;
}

bool LoadSong(const char* path, Song& song, TrackTable& tracks) {
    std::vector<std::uint8_t> bytes;
    std::ifstream in(path, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return LoadSongFromBytes(bytes, song, tracks);
}

}  // namespace solvena
