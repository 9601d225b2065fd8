// Reads a Standard MIDI File into a Song and the shared track table. Events are not decoded here.
#pragma once

#include <cstdint>
#include <span>

#include "song/Song.h"

namespace solvena {

// A forward-only reader over the file's bytes; reads past the end give zero bytes.
struct ByteStream {
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;

    bool AtEnd() const { return pos >= bytes.size(); }
    std::size_t Remaining() const { return AtEnd() ? 0 : bytes.size() - pos; }
};

// 1 for "MThd", 2 for "MTrk", 0 otherwise (including a stream that ends first).
int ReadChunkId(ByteStream& stream);
// count bytes, most significant first; missing bytes count as zero.
std::uint32_t ReadBigEndian(int count, ByteStream& stream);

void ReleaseTrackBuffers(TrackTable& tracks);

// Loads from the file's bytes; the file reader and the fuzzers share this.
bool LoadSongFromBytes(std::span<const std::uint8_t> file, Song& song, TrackTable& tracks);
// Opens the file as raw bytes; a file that cannot be read loads as an empty stream (false).
bool LoadSong(const char* path, Song& song, TrackTable& tracks);

}  // namespace solvena
