#include "engine/win32/RunJournalFile.h"

#include <algorithm>

#include "engine/PairDelays.h"
#include "engine/win32/ReplaceFile.h"

namespace solvena::engine {

namespace {

constexpr char kJournalName[] = "run-journal.txt";

std::string LockPath(const std::string& journal) { return journal + ".lock"; }

// The lock, opened for this process alone; the system deletes it when the last handle closes.
HANDLE TakeLock(const std::string& journal) {
    return CreateFileA(LockPath(journal).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// True when a running copy holds the journal's lock.
bool HeldElsewhere(const std::string& journal) {
    const HANDLE lock = TakeLock(journal);
    if (lock == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(lock);
    return false;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    LARGE_INTEGER size{};
    // A journal of every job position is about 150 KB; anything far larger is not one.
    if (GetFileSizeEx(file, &size) && size.QuadPart < (1 << 22)) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) || read != text.size()) {
            text.clear();
        }
    }
    CloseHandle(file);
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

std::string RunJournalPath(const std::string& startFolder) {
    return StartFolderFile(startFolder, kJournalName);
}

bool RunJournalFile::Begin(const std::string& startFolder, std::span<const std::int32_t> runPositions) {
    End();
    path_ = RunJournalPath(startFolder);
    if (path_.empty()) return false;
    lock_ = TakeLock(path_);
    if (lock_ == INVALID_HANDLE_VALUE) return false;
    const auto stacked = StackedJobs();
    stack_.assign(stacked.begin(), stacked.end());
    run_.assign(runPositions.begin(), runPositions.end());
    finished_.clear();
    if (Write()) return true;
    End();
    return false;
}

void RunJournalFile::Finished(std::int32_t position) {
    if (!Kept() || std::find(finished_.begin(), finished_.end(), position) != finished_.end()) return;
    finished_.push_back(position);
    // A journal that could not be brought up to date still holds the one before: at worst a
    // finished job is recorded again.
    Write();
}

void RunJournalFile::End() {
    if (!Kept()) return;
    DeleteFileA(path_.c_str());
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
}

void RunJournalFile::Leave() {
    if (!Kept()) return;
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
}

bool RunJournalFile::Write() const { return ReplaceFileWith(path_, WriteRunJournal(run_, finished_, stack_)); }

std::optional<RunJournal> FindUnfinishedRun(const std::string& startFolder) {
    const std::string path = RunJournalPath(startFolder);
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES || HeldElsewhere(path)) {
        return std::nullopt;
    }
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return std::nullopt;
    return ReadRunJournal(*text);
}

void DiscardUnfinishedRun(const std::string& startFolder) {
    const std::string path = RunJournalPath(startFolder);
    if (!path.empty() && !HeldElsewhere(path)) DeleteFileA(path.c_str());
}

}  // namespace solvena::engine
