// Stacking a song as stems (トラック別): one job per ticked track that sounds, each named after its
// track, with the ticked tracks that sound nothing (tempo, set-up) playing along in every job.
// UTF-8 here; the Windows build turns the texts into code page 932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/JobStacking.h"
#include "jobs/RecordingJob.h"
#include "song/Song.h"

namespace solvena {

struct StemPlan {
    std::vector<std::uint32_t> stems;   // ticked tracks with notes, in track order: a job each
    std::vector<std::uint32_t> shared;  // ticked tracks without notes: in every job
};
StemPlan PlanStems(const Song& song, const TrackTable& tracks);

// The text as a part of a file name: the characters Windows refuses in one (\ / : * ? " < > |
// and control characters) become '_', as does a code page 932 lead byte without its second byte;
// trailing dots and blanks are dropped. A double-byte character is never split or changed, so its
// second byte may well be '\' or '|'.
std::string FileNamePart(std::string_view text);

// The name a track's stem carries: its track name, else its instrument name, as a file name part;
// empty when neither leaves anything.
std::string StemTrackName(const TrackInfo& track);

// The stem's WAV path: `joinedPath` without a final ".wav" (in any case), "_NN" with the track's
// number in two digits, "_" and the track's name, then ".wav". The name is shortened (on a character
// boundary) so that the path holds at most `limit` bytes, and left out when nothing of it fits;
// empty when even the path without a name is longer.
std::string StemWavPath(std::string_view joinedPath, std::uint32_t track, std::string_view trackName,
                        std::size_t limit);

// What pressing トラック別 comes to: a refusal, or the jobs with the question that comes first.
struct StemSet {
    std::string refusal;             // not empty: nothing is stacked (caption "スタック失敗")
    std::vector<RecordingJob> jobs;  // in track order
    std::string question;            // caption "確認"
};
// Checks as スタック checks (the WAV name, the bars, the path's length), then that some ticked
// track has notes and that the table has room for every job; `jobsInUse` is the table's count.
StemSet PlanStemJobs(const Song& song, const TrackTable& tracks, const StackInputs& inputs, std::int32_t jobsInUse);

// How many of the jobs' WAV paths a stacked job already has, compared as スタック compares them.
std::size_t StemsAlreadyStacked(std::span<const RecordingJob> stacked, std::span<const RecordingJob> stems);
// The question about them, once for all.
std::string StemsAlreadyStackedQuestion(std::size_t count);

}  // namespace solvena
