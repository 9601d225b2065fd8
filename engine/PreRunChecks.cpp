#include "engine/PreRunChecks.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/RunTexts.h"

namespace solvena {

namespace {

constexpr int kOffIcon = 1;

void SwitchOff(const PreRunHost& host, std::int32_t position) {
    SwitchJobOff(position);
    if (host.setRowIcon != nullptr) host.setRowIcon(position, kOffIcon);
}

enum class Answer { keepOn, switchOff, cancelRun };

// A question whose No cancels the run.
Answer AskToContinue(const PreRunHost& host, const char* format, const std::string& path, const char* caption) {
    return host.ask(WithPath(format, path), caption) ? Answer::switchOff : Answer::cancelRun;
}

Answer CheckSong(const PreRunHost& host, const RecordingJob& job) {
    const std::string path = TextOf(job.midiPath);
    if (host.fileState(path.c_str()) != FileState::missing) return Answer::keepOn;
    return AskToContinue(host, kSongMissingQuestion, path, kConfirmCaption);
}

// Sixteen stems recorded again would ask sixteen times: when several of the switched-on jobs'
// files exist, one question, at the first of them, answers for all of them.
struct ExistingFiles {
    std::vector<std::string> paths;  // each once, in job order
    std::optional<bool> replace;

    bool AskedTogether(const std::string& path) const {
        return paths.size() > 1 && std::find(paths.begin(), paths.end(), path) != paths.end();
    }
};

ExistingFiles ExistingTargets(const PreRunHost& host, std::span<const RecordingJob> stacked) {
    ExistingFiles existing;
    for (const RecordingJob& job : stacked) {
        const std::string path = TextOf(job.wavPath);
        if (job.enabled == 0 || host.fileState(path.c_str()) != FileState::writable) continue;
        if (std::find(existing.paths.begin(), existing.paths.end(), path) == existing.paths.end()) {
            existing.paths.push_back(path);
        }
    }
    return existing;
}

Answer CheckTarget(const PreRunHost& host, const RecordingJob& job, ExistingFiles& existing) {
    const std::string path = TextOf(job.wavPath);
    switch (host.fileState(path.c_str())) {
        case FileState::missing: return Answer::keepOn;
        case FileState::readOnly: return AskToContinue(host, kTargetReadOnlyQuestion, path, kConfirmCaption);
        case FileState::writable:
            // No only skips this job: the user keeps the file and the run goes on.
            if (host.overwrite != nullptr) return host.overwrite() ? Answer::keepOn : Answer::switchOff;
            if (existing.AskedTogether(path)) {
                if (!existing.replace) {
                    existing.replace = host.ask(TargetsExistQuestion(existing.paths), kConfirmCaption);
                }
                return *existing.replace ? Answer::keepOn : Answer::switchOff;
            }
            return host.ask(WithPath(kTargetExistsQuestion, path), kConfirmCaption) ? Answer::keepOn
                                                                                  : Answer::switchOff;
    }
    return Answer::keepOn;
}

}  // namespace

devices::WaveFormat CaptureFormatOf(const RecordingJob& job) {
    devices::WaveFormat format;
    format.formatTag = 1;
    format.channels = static_cast<std::uint16_t>(job.channels);
    format.samplesPerSec = static_cast<std::uint32_t>(job.sampleRate);
    format.blockAlign = static_cast<std::uint16_t>(job.bitsPerSample * job.channels / 8);
    format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
    format.bitsPerSample = static_cast<std::uint16_t>(job.bitsPerSample);
    return format;
}

bool CheckTargetFiles(const PreRunHost& host) {
    const auto stacked = StackedJobs();
    ExistingFiles existing = host.overwrite == nullptr ? ExistingTargets(host, stacked) : ExistingFiles{};
    for (std::size_t i = 0; i < stacked.size(); ++i) {
        const RecordingJob& job = stacked[i];
        if (job.enabled == 0) continue;
        const auto position = static_cast<std::int32_t>(i);
        const Answer song = CheckSong(host, job);
        if (song == Answer::cancelRun) return false;
        // Off at once, so that it stays off when the target question then cancels the run.
        if (song == Answer::switchOff) SwitchOff(host, position);
        // The target is asked about also when the song is missing.
        const Answer target = CheckTarget(host, job, existing);
        if (target == Answer::cancelRun) return false;
        if (target == Answer::switchOff) SwitchOff(host, position);
    }
    return true;
}

std::uint64_t ExpectedWavBytes(const RecordingJob& job) {
    if (job.expectedSeconds <= 0) return kWavHeaderBytes;
    return kWavHeaderBytes + std::uint64_t{CaptureFormatOf(job).avgBytesPerSec} * static_cast<std::uint32_t>(job.expectedSeconds);
}

bool CheckSameFiles(const PreRunHost& host) {
    const auto stacked = StackedJobs();
    std::vector<std::string> keys(stacked.size());
    for (std::size_t i = 0; i < stacked.size(); ++i) {
        if (stacked[i].enabled == 1) keys[i] = host.fileKey(TextOf(stacked[i].wavPath).c_str());
    }
    for (std::size_t i = 0; i < stacked.size(); ++i) {
        std::vector<std::int32_t> writers;
        for (std::size_t j = i; j < stacked.size() && !keys[i].empty(); ++j) {
            if (keys[j] == keys[i]) writers.push_back(static_cast<std::int32_t>(j));
        }
        if (writers.size() < 2) continue;
        if (!host.ask(SameFileQuestion(TextOf(stacked[i].wavPath), writers, jobCount), kConfirmCaption)) return false;
        for (std::size_t k = 1; k < writers.size(); ++k) {
            SwitchOff(host, writers[k]);
            keys[static_cast<std::size_t>(writers[k])].clear();
        }
    }
    return true;
}

bool CheckFreeSpace(const PreRunHost& host) {
    struct Drive {
        std::string name;
        std::string volume;
        std::uint64_t needed = 0;
        std::uint64_t free = 0;
    };
    std::vector<Drive> drives;
    std::string untold;  // the first file whose drive cannot be told
    for (const RecordingJob& job : StackedJobs()) {
        if (job.enabled != 1) continue;
        Drive drive;
        const std::string path = TextOf(job.wavPath);
        if (!host.freeSpace(path.c_str(), &drive.name, &drive.volume, &drive.free)) {
            if (untold.empty()) untold = path;
            continue;
        }
        auto at = std::find_if(drives.begin(), drives.end(), [&](const Drive& d) { return d.volume == drive.volume; });
        if (at == drives.end()) at = drives.insert(drives.end(), drive);
        at->needed += ExpectedWavBytes(job);
    }
    if (!untold.empty() && !host.ask(WithPath(kFreeSpaceUnknownQuestion, untold), kConfirmCaption)) return false;
    for (const Drive& drive : drives) {
        if (drive.needed > drive.free && !host.ask(FreeSpaceQuestion(drive.name, drive.needed, drive.free), kConfirmCaption)) {
            return false;
        }
    }
    return true;
}

bool CheckDevices(const PreRunHost& host) {
    const auto stacked = StackedJobs();
    for (std::size_t i = 0; i < stacked.size(); ++i) {
        const RecordingJob& job = stacked[i];
        const auto position = static_cast<std::int32_t>(i);
        const std::string wavPath = TextOf(job.wavPath);
        if (host.waveInQuery(static_cast<std::uint32_t>(job.waveInDevice), CaptureFormatOf(job)) != 0) {
            if (AskToContinue(host, kWaveSettingsQuestion, wavPath, kErrorCaption) == Answer::cancelRun) return false;
            SwitchOff(host, position);
        }
        if (static_cast<std::uint32_t>(job.midiOutDevice) >= host.midiOutCount()) {
            if (AskToContinue(host, kMidiSettingsQuestion, wavPath, kErrorCaption) == Answer::cancelRun) return false;
            SwitchOff(host, position);
        }
    }
    return true;
}

}  // namespace solvena
