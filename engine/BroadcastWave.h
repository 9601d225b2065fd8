// What tells an editor where a job's file belongs: a broadcast wave 'bext' chunk whose time
// reference is the start tick's place in the song, written before the sample data, and the song's
// markers as cue points with their labels ('cue ' and a 'LIST' of 'adtl' labels), written after it
// when the file is completed. The RIFF, format and data chunks stay as they were.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "song/SongTimeline.h"

namespace solvena {

// The bext record's fixed part (version 2), and room for one line of coding history: the chunk has
// this one size in every file, so the sample data always begins at the same offset.
inline constexpr std::uint32_t kBextFixedBytes = 602;
inline constexpr std::uint32_t kCodingHistoryBytes = 64;
inline constexpr std::uint32_t kBextChunkBytes = kBextFixedBytes + kCodingHistoryBytes;

struct BextFields {
    std::string description;          // at most 256 bytes are kept
    std::string originatorReference;  // at most 32
    std::string date;                 // "yyyy-mm-dd"
    std::string time;                 // "hh:mm:ss"
    std::uint64_t timeReference = 0;  // frames from the song's start to the file's first frame
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
    std::uint16_t channels = 0;
};

// What a job records, for the description: "song.mid, bars 17-32, tracks 0,1,3" (the song's file
// name without its folder; ticks where no bar line stands on the range's ends).
std::string JobDescription(const std::string& midiPath, const SongTimeline& timeline, std::uint32_t startTick,
                           std::uint32_t endTick, std::span<const std::uint8_t> trackEnabled, std::uint32_t trackCount);

// "A=PCM,F=44100,W=16,M=stereo,T=Solvena 1.00" and CR LF.
std::string CodingHistoryLine(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels);
// The chunk's body: kBextChunkBytes bytes.
std::vector<std::uint8_t> BextChunkBody(const BextFields& fields);

struct CuePoint {
    std::uint64_t frame = 0;  // of the file
    std::string label;
};

// The song's markers and cue points from `startTick` on, at their frames of a file at `rate`
// whose first frame is the start tick, before frame `takeFrames`.
std::vector<CuePoint> CuePointsOf(const SongTimeline& timeline, std::uint32_t startTick, std::uint32_t rate,
                                  std::uint64_t takeFrames);
// Frames at `rate` from the song's start to `tick`.
std::uint64_t FramesToTick(const SongTimeline& timeline, std::uint32_t tick, std::uint32_t rate);

// The bodies of the 'cue ' chunk and of the 'LIST' chunk (its type 'adtl' first, then a 'labl'
// chunk per point, each padded to an even size). Points are numbered from 1 in order.
std::vector<std::uint8_t> CueChunkBody(const std::vector<CuePoint>& points);
std::vector<std::uint8_t> LabelListBody(const std::vector<CuePoint>& points);
// The bytes both chunks take with their headers; 0 without points.
std::uint64_t CueChunksBytes(const std::vector<CuePoint>& points);

}  // namespace solvena
