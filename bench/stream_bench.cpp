// Building a job's stream: all 64 tracks of the largest song the track table holds, over
// the whole song, merged, trimmed and packed as a run does it before playing a job.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "bench/SongGen.h"
#include "engine/JobStream.h"
#include "engine/StreamBuffers.h"
#include "engine/StreamMerge.h"
#include "song/Song.h"
#include "song/SongLoader.h"

namespace {

using namespace solvena;

constexpr std::int32_t kWholeSong = std::numeric_limits<std::int32_t>::max();

struct LoadedSong {
    Song song;
    std::unique_ptr<TrackTable> tracks = std::make_unique<TrackTable>();
    std::uint8_t enabled[kMaxTracks] = {};
    bool loaded = false;

    LoadedSong() {
        const std::vector<std::uint8_t> bytes = bench::MakeMaximalSong();
        loaded = LoadSongFromBytes(bytes, song, *tracks) && song.trackCount == kMaxTracks;
        for (std::uint8_t& f : enabled) f = 1;
    }
};

const LoadedSong& MaximalSong() {
    static const LoadedSong s;
    return s;
}

void BM_BuildJobStreamAll64Tracks(benchmark::State& state) {
    const LoadedSong& s = MaximalSong();
    if (!s.loaded) {
        state.SkipWithError("the maximal song did not load");
        return;
    }
    JobStreamInfo info;
    for (auto _ : state) {
        info = BuildJobStream(s.song, *s.tracks, 0, kWholeSong, s.enabled);
        benchmark::DoNotOptimize(callbacksExpected);
        benchmark::ClobberMemory();
    }
    if (info.result != StreamBuildResult::built) state.SkipWithError("the stream was not built");
    std::size_t trackBytes = 0;
    for (const TrackInfo& t : *s.tracks) trackBytes += t.length;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(trackBytes));
    state.counters["trackBytes"] = static_cast<double>(trackBytes);
    state.counters["mergedBytes"] = static_cast<double>(info.mergedLength);
    state.counters["fills"] = static_cast<double>(StreamFillCount());
    state.counters["callbacks"] = callbacksExpected;
}

// The steps apart, on the same song, to see where the time goes. Merging the tracks one at a
// time re-reads the growing stream for every track; the job's build merges in one pass.
void BM_MergeOneTrackAtATime(benchmark::State& state) {
    const LoadedSong& s = MaximalSong();
    for (auto _ : state) {
        CreateMergeBuffer();
        for (const TrackInfo& t : *s.tracks) mergedLength = MergeTrack(mergeBuffer, mergedLength, t.data, t.length);
        benchmark::DoNotOptimize(mergedLength);
    }
}

void BM_MergeTracksOnePass(benchmark::State& state) {
    const LoadedSong& s = MaximalSong();
    std::vector<TrackBytes> all;
    for (const TrackInfo& t : *s.tracks) all.push_back(TrackBytes{t.data, t.length});
    for (auto _ : state) {
        CreateMergeBuffer();
        mergedLength = MergeTracks(mergeBuffer, all);
        benchmark::DoNotOptimize(mergedLength);
    }
}

void BM_TrimWholeSong(benchmark::State& state) {
    const LoadedSong& s = MaximalSong();
    CreateMergeBuffer();
    for (const TrackInfo& t : *s.tracks) mergedLength = MergeTrack(mergeBuffer, mergedLength, t.data, t.length);
    const MergeBuffer merged = mergeBuffer;
    const std::size_t length = mergedLength;
    for (auto _ : state) {
        state.PauseTiming();
        mergeBuffer = merged;
        state.ResumeTiming();
        benchmark::DoNotOptimize(TrimToRange(mergeBuffer, 0, kWholeSong, length));
    }
}

void BM_PackWholeSong(benchmark::State& state) {
    const LoadedSong& s = MaximalSong();
    CreateMergeBuffer();
    for (const TrackInfo& t : *s.tracks) mergedLength = MergeTrack(mergeBuffer, mergedLength, t.data, t.length);
    mergedLength = TrimToRange(mergeBuffer, 0, kWholeSong, mergedLength);
    for (auto _ : state) benchmark::DoNotOptimize(BuildStreamBuffers(mergeBuffer, mergedLength));
    state.counters["fills"] = static_cast<double>(StreamFillCount());
}

}  // namespace

BENCHMARK(BM_BuildJobStreamAll64Tracks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeOneTrackAtATime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTracksOnePass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimWholeSong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackWholeSong)->Unit(benchmark::kMillisecond);
