// Opening a song: our reader and scan against a general-purpose SMF library loading the
// same bytes from memory.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <smf.h>

#include <cstdint>
#include <span>
#include <vector>

#include "bench/SongGen.h"
#include "song/MusicalTime.h"
#include "song/Song.h"
#include "song/SongLoader.h"
#include "song/TrackScan.h"

namespace {

using solvena::Song;
using solvena::TrackTable;

const std::vector<std::uint8_t>& TypicalSong() {
    static const std::vector<std::uint8_t> bytes = solvena::bench::MakeTypicalSong();
    return bytes;
}

const std::vector<std::uint8_t>& MaximalSong() {
    static const std::vector<std::uint8_t> bytes = solvena::bench::MakeMaximalSong();
    return bytes;
}

// The program keeps one song and one track table for its whole life; so do we.
Song song;
TrackTable tracks;

// What the open command does with the file's bytes, short of the pages it redraws.
bool OpenSong(std::span<const std::uint8_t> bytes) {
    if (!solvena::LoadSongFromBytes(bytes, song, tracks)) return false;
    song.ResetConductor();
    song.title.fill('\0');
    for (solvena::TrackInfo& t : tracks) t.selected = 0;
    solvena::ScanTracks(song, tracks);
    tracks[0].selected = 1;
    solvena::BuildBarLines(song, tracks);
    return true;
}

void OpenOurs(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    for (auto _ : state) {
        if (!OpenSong(bytes)) {
            state.SkipWithError("the song did not load");
            return;
        }
        benchmark::DoNotOptimize(song.conductorLast);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
    state.counters["fileBytes"] = static_cast<double>(bytes.size());
    state.counters["conductorEntries"] = song.conductorLast;
    state.counters["endBar"] = static_cast<double>(solvena::LastBarNumber(song));
}

void OpenLibsmf(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    // The library reports oddities through GLib logging; keep them off the timing.
    g_log_set_default_handler([](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    for (auto _ : state) {
        smf_t* smf = smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size()));
        if (smf == nullptr) {
            state.SkipWithError("libsmf refused the song");
            return;
        }
        benchmark::DoNotOptimize(smf->number_of_tracks);
        smf_delete(smf);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

void BM_OpenTypical(benchmark::State& state) { OpenOurs(state, TypicalSong()); }
void BM_OpenMaximal(benchmark::State& state) { OpenOurs(state, MaximalSong()); }
void BM_LibsmfTypical(benchmark::State& state) { OpenLibsmf(state, TypicalSong()); }
void BM_LibsmfMaximal(benchmark::State& state) { OpenLibsmf(state, MaximalSong()); }

}  // namespace

BENCHMARK(BM_OpenTypical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenMaximal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibsmfTypical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibsmfMaximal)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
