// The two checks before a run: every switched-on job's files, then every job's devices. Each
// problem is put to the user as a question that either switches the job off or cancels the run.
#pragma once

#include <cstdint>
#include <string>

#include "engine/DeviceSeam.h"
#include "jobs/RecordingJob.h"

namespace solvena {

enum class FileState { missing, writable, readOnly };

// What the checks ask of the system and of the user; the Windows program fills it with file
// attributes, message boxes, the device seam and the job list's rows.
struct PreRunHost {
    FileState (*fileState)(const char* path) = nullptr;
    // A Yes/No question; true for Yes.
    bool (*ask)(const std::string& text, const char* caption) = nullptr;
    devices::MmResult (*waveInQuery)(std::uint32_t device, const devices::WaveFormat& format) = nullptr;
    std::uint32_t (*midiOutCount)() = nullptr;
    void (*setRowIcon)(int row, int icon) = nullptr;
    // The file as the system knows it, whatever name it is given: one key for one file.
    std::string (*fileKey)(const char* path) = nullptr;
    // The drive a file lies on (its root as the user knows it), what tells its volume from the
    // others whatever name it is reached by, and its free bytes; false when that cannot be told.
    bool (*freeSpace)(const char* path, std::string* drive, std::string* volume, std::uint64_t* freeBytes) = nullptr;
    // Set for a run nobody watches: whether an existing file is overwritten, without a question.
    bool (*overwrite)() = nullptr;
};

// What a job's WAV file is expected to take: its header and the samples of its expected time
// (music and reverb), as the サイズ column estimates it.
std::uint64_t ExpectedWavBytes(const RecordingJob& job);

// The PCM format a job records in; a device is asked for exactly this record.
devices::WaveFormat CaptureFormatOf(const RecordingJob& job);

// Both walk positions 0 to jobCount - 1 of the job table and return false as soon as the user
// cancels the run; jobs switched off by earlier answers stay off.
// Several existing files of switched-on jobs are asked about once, for all of them.
bool CheckTargetFiles(const PreRunHost& host);
bool CheckDevices(const PreRunHost& host);
// Switched-on jobs that would write one file: one question for each such file, whose Yes
// records it with the first of them and switches the later ones off.
bool CheckSameFiles(const PreRunHost& host);
// For each drive that the switched-on jobs' files would not fit on, one question whose Yes
// runs anyway; and one for the files whose drive's free space cannot be told.
bool CheckFreeSpace(const PreRunHost& host);

}  // namespace solvena
