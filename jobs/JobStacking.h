// Stacking a job from the main window's pages: reading the edits, the refusals and questions, and
// the job record filled from the song and the chosen devices and format.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "jobs/RecordingJob.h"
#include "song/Song.h"

namespace solvena {

// A joined WAV path holds at most this many characters (with an added ".wav").
constexpr std::size_t kJoinedPathLimit = 255;

// A bar or reverb number as its edit holds it: the first three characters, read like the C
// library's decimal conversion (leading blanks and a sign, up to the first non-digit, 0 when
// there is no digit).
std::int32_t ReadEditNumber(std::string_view text);

// Everything the pages hold for one job.
struct StackInputs {
    std::string wavName;   // wavNameEdit
    std::string startBar;  // startBarEdit
    std::string endBar;    // endBarEdit
    std::string reverb;    // reverbEdit
    std::int32_t midiOutDevice = 0;
    std::int32_t waveInDevice = 0;
    // The table entries the format lists' selections stand for.
    std::int32_t sampleRate = 0;
    std::int32_t bitsPerSample = 0;
    std::int32_t channels = 0;
};

enum class StackRefusal {
    none,
    tableFull,         // every job position is in use
    noWavName,         // the WAV name edit is empty
    endNotAfterStart,  // start bar ≥ end bar
    noStartBar,        // a start bar above 0 that names no bar line of the song
    noEndBar,          // an end bar that names no bar line
    pathTooLong,       // the joined WAV path would be longer than kJoinedPathLimit
};

// The first refusal of the inputs, checked in the order the user meets them; `jobsInUse` is the
// table's count.
StackRefusal CheckStackInputs(const StackInputs& inputs, const Song& song, std::int32_t jobsInUse);
// The refusals of the WAV name and the bars alone, in the same order: every command that stacks
// from the pages makes them.
StackRefusal CheckPageInputs(const StackInputs& inputs, const Song& song);

// The refusal's message (caption "スタック失敗"); the bar refusals name the song's last bar.
std::string StackRefusalText(StackRefusal refusal, const StackInputs& inputs, const Song& song);

// The song's folder followed by the WAV name.
std::string JoinedWavPath(const Song& song, const StackInputs& inputs);

// The first job whose WAV path is `path`, byte for byte; nullopt when none.
std::optional<std::int32_t> JobWithWavPath(std::span<const RecordingJob> jobs, std::string_view path);

// True when the path does not end in ".wav" exactly (case matters; a dot anywhere counts, so a
// dot in a folder name makes the text after it the "extension").
bool LacksWavExtension(std::string_view path);

// The job the inputs describe, switched on; the tracks come from the song's selections.
RecordingJob MakeStackedJob(const Song& song, const TrackTable& tracks, const StackInputs& inputs,
                            const std::string& wavPath);
// The same job playing the tracks whose flags are 1 (flags at or beyond the song's tracks stay 0).
RecordingJob MakeJobOfTracks(const Song& song, const StackInputs& inputs, const std::string& wavPath,
                             const std::array<std::uint8_t, kMaxTracks>& trackFlags);

}  // namespace solvena
