#include "jobs/RunJournal.h"

#include <algorithm>
#include <charconv>

#include "jobs/JobListFile.h"

namespace solvena {

namespace {

constexpr std::string_view kFirstLine = "solvena run journal 1";
constexpr std::string_view kRunKey = "run";
constexpr std::string_view kFinishedKey = "finished";

void PutLine(std::string& out, std::string_view key, std::span<const std::int32_t> positions) {
    out.append(key);
    for (std::int32_t position : positions) {
        out.push_back(' ');
        out.append(std::to_string(position));
    }
    out.append("\r\n");
}

// The next line without its end; false at the end of the text.
bool NextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) return false;
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

// "key 1 2 3": positions within the job table, each once.
bool ReadPositions(std::string_view line, std::string_view key, std::vector<std::int32_t>& positions) {
    if (line.substr(0, key.size()) != key) return false;
    line.remove_prefix(key.size());
    while (!line.empty()) {
        if (line.front() != ' ') return false;
        line.remove_prefix(1);
        std::int32_t position = -1;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), position);
        if (error != std::errc{} || position < 0 || position >= static_cast<std::int32_t>(kMaxJobs) ||
            std::find(positions.begin(), positions.end(), position) != positions.end()) {
            return false;
        }
        positions.push_back(position);
        line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    }
    return true;
}

}  // namespace

std::string WriteRunJournal(std::span<const std::int32_t> runPositions, std::span<const std::int32_t> finished,
                            std::span<const RecordingJob> stack) {
    std::string out(kFirstLine);
    out.append("\r\n");
    PutLine(out, kRunKey, runPositions);
    PutLine(out, kFinishedKey, finished);
    out.append(WriteJobList(stack));
    return out;
}

std::optional<RunJournal> ReadRunJournal(std::string_view text) {
    RunJournal journal;
    std::string_view line;
    if (!NextLine(text, line) || line != kFirstLine) return std::nullopt;
    if (!NextLine(text, line) || !ReadPositions(line, kRunKey, journal.runPositions)) return std::nullopt;
    if (!NextLine(text, line) || !ReadPositions(line, kFinishedKey, journal.finished)) return std::nullopt;
    // Only jobs of the run can have been finished by it.
    for (std::int32_t position : journal.finished) {
        if (std::find(journal.runPositions.begin(), journal.runPositions.end(), position) == journal.runPositions.end()) {
            return std::nullopt;
        }
    }
    journal.stack = std::string(text);
    return journal;
}

RunBreak BreakOf(const RunJournal& journal) {
    RunBreak at;
    at.total = static_cast<std::int32_t>(journal.runPositions.size());
    at.current = at.total;
    for (std::size_t i = 0; i < journal.runPositions.size(); ++i) {
        const std::int32_t position = journal.runPositions[i];
        if (std::find(journal.finished.begin(), journal.finished.end(), position) == journal.finished.end()) {
            at.current = static_cast<std::int32_t>(i) + 1;
            break;
        }
    }
    return at;
}

}  // namespace solvena
