// Reads a Standard MIDI File into a Song and the shared track table. Events are not decoded here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "song/Song.h"

namespace solvena {

// A forward-only reader over a file or over bytes in memory. Reads past the end give zero
// bytes and count as missing; a file is read as it goes, so only what the song declares and
// the file really holds is ever taken into memory.
class ByteStream {
public:
    explicit ByteStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    explicit ByteStream(std::FILE* file) : file_(file) {}

    // The next byte, or -1 at the end.
    int Get();
    // Up to n bytes into out; returns how many there were.
    std::size_t Read(std::uint8_t* out, std::size_t n);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::FILE* file_ = nullptr;
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
