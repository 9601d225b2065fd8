#include "jobs/JobListFile.h"

#include <cstdio>

namespace solvena {

namespace {

constexpr int kEnd = -1;

// The reader walks bytes through Peek/Skip so that a file is read as it goes, never whole:
// however large a file someone picks, at most one job's worth is held.
class TextSource {
public:
    explicit TextSource(std::string_view bytes) : bytes_(bytes) {}
    int Peek() const { return pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_]) : kEnd; }
    void Skip() {
        if (pos_ < bytes_.size() && bytes_[pos_++] == '\n') ++line;
    }
    std::int32_t line = 1;

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

class FileSource {
public:
    explicit FileSource(std::FILE* file) : file_(file), next_(std::getc(file)) {}
    int Peek() const { return next_ == EOF ? kEnd : next_; }
    void Skip() {
        if (next_ == EOF) return;
        if (next_ == '\n') ++line;
        next_ = std::getc(file_);
    }
    std::int32_t line = 1;

private:
    std::FILE* file_;
    int next_;
};

// White space inside a line; the line feed is not among it, so a job never spans lines.
bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

template <class Source>
void SkipBlanks(Source& s) {
    while (IsBlank(s.Peek())) s.Skip();
}

// A signed decimal number after blanks, as %d reads one, that must fit 32 bits. Text glued to
// it is caught by the next field or by the line end, which must follow the last field.
template <class Source>
bool ReadNumber(Source& s, std::int32_t& value) {
    SkipBlanks(s);
    bool negative = false;
    if (s.Peek() == '+' || s.Peek() == '-') {
        negative = s.Peek() == '-';
        s.Skip();
    }
    if (!IsDigit(s.Peek())) return false;
    constexpr std::int64_t kLimit = 2147483648LL;
    std::int64_t magnitude = 0;
    while (IsDigit(s.Peek())) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (s.Peek() - '0');
        s.Skip();
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < -kLimit || signedValue > kLimit - 1) return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

// Trailing blanks (a CR among them), then the line feed or the end of the file.
template <class Source>
bool EndLine(Source& s) {
    SkipBlanks(s);
    if (s.Peek() == '\n') {
        s.Skip();
        return true;
    }
    return s.Peek() == kEnd;
}

// A path runs to its TAB, which is taken too. Leading spaces belong to it. A path that meets
// the line end first, does not fit the record, or holds a zero byte the record could not
// keep is refused rather than loaded wrong.
template <class Source>
bool ReadPath(Source& s, std::array<char, kJobPathSize>& path) {
    std::size_t n = 0;
    for (;;) {
        const int c = s.Peek();
        if (c == '\t') {
            s.Skip();
            return true;
        }
        if (c == kEnd || c == '\n' || c == '\0' || n == kJobPathSize - 1) return false;
        path[n++] = static_cast<char>(c);
        s.Skip();
    }
}

template <class Source>
bool ReadFlag(Source& s, std::uint8_t& flag) {
    std::int32_t value = 0;
    if (!ReadNumber(s, value)) return false;
    flag = value != 0 ? 1 : 0;
    return true;
}

template <class Source>
bool ReadJobLine(Source& s, RecordingJob& job) {
    if (!ReadPath(s, job.midiPath) || !ReadPath(s, job.wavPath)) return false;
    std::int32_t* const numbers[] = {&job.midiOutDevice, &job.waveInDevice, &job.sampleRate,
                                     &job.bitsPerSample, &job.channels,     &job.startTick,
                                     &job.endTick,       &job.reverbSeconds, &job.expectedSeconds};
    for (std::int32_t* field : numbers) {
        if (!ReadNumber(s, *field)) return false;
    }
    for (std::uint8_t& flag : job.trackEnabled) {
        if (!ReadFlag(s, flag)) return false;
    }
    if (!ReadFlag(s, job.enabled)) return false;
    return EndLine(s);
}

template <class Source>
JobListResult ReadJobs(Source& s) {
    JobListResult result;
    // The count may follow any white space, blank lines included.
    while (IsBlank(s.Peek()) || s.Peek() == '\n') s.Skip();
    std::int32_t count = 0;
    if (!ReadNumber(s, count) || count < 0 || !EndLine(s)) {
        result.status = JobListStatus::badCount;
        result.line = s.line;
        return result;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t line = s.line;
        RecordingJob job;  // fresh for every line: nothing carries over from the job before
        if (!ReadJobLine(s, job)) {
            result.status = JobListStatus::incompleteJob;
            result.line = line;
            return result;
        }
        if (!AppendStackedJob(job)) {
            result.status = JobListStatus::tableFull;
            result.line = line;
            return result;
        }
        ++result.jobsAdded;
    }
    return result;
}

void AppendNumber(std::string& out, std::int32_t value) {
    out += std::to_string(value);
    out += '\t';
}

}  // namespace

std::string WriteJobList(std::span<const RecordingJob> list) {
    std::string out = std::to_string(list.size());
    out += "\r\n";
    for (const RecordingJob& job : list) {
        out += TextOf(job.midiPath);
        out += '\t';
        out += TextOf(job.wavPath);
        out += '\t';
        for (std::int32_t value : {job.midiOutDevice, job.waveInDevice, job.sampleRate, job.bitsPerSample, job.channels,
                                   job.startTick, job.endTick, job.reverbSeconds, job.expectedSeconds}) {
            AppendNumber(out, value);
        }
        for (std::uint8_t flag : job.trackEnabled) {
            out += flag != 0 ? '1' : '0';
            out += '\t';
        }
        out += job.enabled != 0 ? '1' : '0';
        out += "\r\n";
    }
    return out;
}

bool WriteJobListFile(const char* path, std::span<const RecordingJob> list) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const std::string text = WriteJobList(list);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

JobListResult ReadJobList(std::string_view bytes) {
    TextSource source(bytes);
    return ReadJobs(source);
}

JobListResult ReadJobListFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        JobListResult result;
        result.status = JobListStatus::cannotOpen;
        return result;
    }
    FileSource source(file);
    const JobListResult result = ReadJobs(source);
    std::fclose(file);
    return result;
}

}  // namespace solvena
