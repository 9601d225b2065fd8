#include "song/SongLoader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace solvena {

namespace {

std::uint8_t NextByte(ByteStream& stream) {
    const int c = stream.Get();
    return c < 0 ? 0 : static_cast<std::uint8_t>(c);
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

// Reads up to `declared` bytes of a chunk into the track, growing its buffer only as the
// bytes actually arrive. Returns how many there were.
std::size_t ReadChunkData(ByteStream& stream, std::uint32_t declared, TrackInfo& track) {
    constexpr std::size_t kPiece = 1u << 20;
    std::size_t have = 0;
    while (have < declared) {
        const std::size_t want = std::min<std::size_t>(declared - have, have < kTrackBufferSize ? kTrackBufferSize - have : kPiece);
        if (have + want > track.data.size()) track.data.resize(have + want, 0);
        const std::size_t got = stream.Read(track.data.data() + have, want);
        have += got;
        if (got < want) break;
    }
    if (track.data.size() > kTrackBufferSize && track.data.size() > have)
        track.data.resize(std::max(have, kTrackBufferSize));
    return have;
}

}  // namespace

int ByteStream::Get() {
    if (file_) {
        const int c = std::fgetc(file_);
        return c == EOF ? -1 : c;
    }
    return pos_ < bytes_.size() ? bytes_[pos_++] : -1;
}

std::size_t ByteStream::Read(std::uint8_t* out, std::size_t n) {
    if (file_) return std::fread(out, 1, n, file_);
    const std::size_t count = std::min(n, pos_ < bytes_.size() ? bytes_.size() - pos_ : 0);
    if (count > 0) std::memcpy(out, bytes_.data() + pos_, count);
    pos_ += count;
    return count;
}

int ReadChunkId(ByteStream& stream) {
    std::uint8_t id[4];
    if (stream.Read(id, 4) != 4) return 0;
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

namespace {

bool LoadSongFromStream(ByteStream& stream, Song& song, TrackTable& tracks) {
    PrepareTrackBuffers(tracks);

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
        tracks[t].length = static_cast<std::uint32_t>(ReadChunkData(stream, declared, tracks[t]));
    }
    return true;
}

}  // namespace

bool LoadSongFromBytes(std::span<const std::uint8_t> file, Song& song, TrackTable& tracks) {
    ByteStream stream(file);
    return LoadSongFromStream(stream, song, tracks);
}

bool LoadSong(const char* path, Song& song, TrackTable& tracks) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        // An unreadable file behaves as an empty stream.
        ByteStream empty(std::span<const std::uint8_t>{});
        return LoadSongFromStream(empty, song, tracks);
    }
    ByteStream stream(file);
    const bool loaded = LoadSongFromStream(stream, song, tracks);
    std::fclose(file);
    return loaded;
}

}  // namespace solvena
