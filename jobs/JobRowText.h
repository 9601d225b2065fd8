// The texts of a job's row in the job stack window and the list's column table. UTF-8 here;
// the Windows build turns the headings into code page 932.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "jobs/RecordingJob.h"

namespace solvena {

constexpr std::size_t kJobColumnCount = 9;
// Cells 2 to 8 are built in a 128-byte buffer, so none of them is longer than this.
constexpr std::size_t kBuiltCellLimit = 127;

struct JobColumn {
    const char* heading;
    int width;  // pixels
};

// In list order; every column is left-aligned.
inline constexpr std::array<JobColumn, kJobColumnCount> kJobColumns{{
    {"MIDI", 100},
    {"Wav", 100},
    {"sample/sec", 60},
    {"bitrate", 40},
    {"ch", 40},
    {"track", 80},
    {"予想時間", 40},
    {"サイズ", 40},
    {"残響時間", 40},
}};

using JobRowTexts = std::array<std::string, kJobColumnCount>;

// Column 0 and 1 are the job's two paths whole; 2 to 8 are built and stay within
// kBuiltCellLimit characters, whatever the record holds.
JobRowTexts RowTextsOf(const RecordingJob& job);

// "MONO" for 1, "STEREO" for 2, any other count as its number.
std::string ChannelsText(std::int32_t channels);

// A space and the number of every track whose flag is 1. When that list is longer than
// kBuiltCellLimit, runs of three or more tracks are written "first-last" instead, which always
// fits (the longest possible such text is 122 characters) and still names every track.
std::string TrackNumbersText(const std::array<std::uint8_t, kMaxTracks>& trackEnabled);

}  // namespace solvena
