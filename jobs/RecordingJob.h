// The recording job record and the one job table that stacking, list loading, the job
// stack window and the run share. User-interface thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "song/Song.h"

namespace solvena {

constexpr std::size_t kMaxJobs = 128;
// 511 bytes of path text and the terminating zero.
constexpr std::size_t kJobPathSize = kPathSize;

// Field order is also the field order of a job list line.
struct RecordingJob {
    std::array<char, kJobPathSize> midiPath{};  // zero-terminated, ANSI code page bytes
    std::array<char, kJobPathSize> wavPath{};
    std::int32_t midiOutDevice = 0;
    std::int32_t waveInDevice = 0;
    std::int32_t sampleRate = 0;
    std::int32_t bitsPerSample = 0;
    std::int32_t channels = 0;
    std::int32_t startTick = 0;
    std::int32_t endTick = 0;
    std::int32_t reverbSeconds = 0;
    std::int32_t expectedSeconds = 0;
    std::array<std::uint8_t, kMaxTracks> trackEnabled{};  // each 0 or 1
    std::uint8_t enabled = 0;                             // 1 = switched on

    bool operator==(const RecordingJob&) const = default;
};

// Positions 0..jobCount-1 are in use, in run order; every later position is an empty record.
extern std::array<RecordingJob, kMaxJobs> jobs;
extern std::int32_t jobCount;

// The window layer installs these; a missing hook is simply not called, which is how the
// portable code runs without windows.
struct JobRowHooks {
    // Command 127: insert the row of the job at position jobCount (not yet counted).
    void (*insertRow)() = nullptr;
    // Delete list row `row` of the job stack window.
    void (*deleteRow)(std::int32_t row) = nullptr;
    // Show the job stack window normally.
    void (*showWindow)() = nullptr;
};
void SetJobRowHooks(const JobRowHooks& hooks);

// Fills position jobCount, has its row inserted, counts it and shows the window. Returns
// false, writing nothing and calling no hook, when all kMaxJobs positions are in use.
// Flags other than 0 are stored as 1.
// (Not "AddJob": the Windows headers define that name as a macro.)
bool AddStackedJob(const RecordingJob& job);
// The same without showing the window: list loading shows it once after all its jobs.
bool AppendStackedJob(const RecordingJob& job);
void ShowJobStackWindow();

// Empties positions jobCount-1 down to 0, deleting each row after its record, then sets
// jobCount to 0.
void ClearJobs();
// Empties every position and sets jobCount to 0 without touching any row: for start-up,
// shutdown and tests.
void ResetJobTable();

// The on/off button: enabled becomes 1 unless it was 1, then 0. False, changing nothing,
// for a position that holds no job (-1 means no row is selected).
bool ToggleJob(std::int32_t position);
// The pre-run checks' switch-off; false for a position that holds no job.
bool SwitchJobOff(std::int32_t position);
// Row icon for the job's state: 0 switched on, 1 switched off.
int JobRowIcon(const RecordingJob& job);

// The jobs in use, positions 0..jobCount-1.
std::span<const RecordingJob> StackedJobs();

// The estimates the job stack window shows, from the song model's estimate texts.
std::string JobTimeText(const RecordingJob& job);
std::string JobSizeText(const RecordingJob& job);

}  // namespace solvena
