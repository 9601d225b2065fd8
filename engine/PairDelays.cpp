#include "engine/PairDelays.h"

#include <cerrno>
#include <cstdio>

#include "song/Song.h"

namespace solvena {

namespace {

// Only what the program itself writes: the file is small, and a huge one is not ours.
constexpr std::size_t kMaxDelaysFileBytes = 1u << 20;

std::optional<std::uint32_t> ParseMicros(std::string_view text) {
    if (text.empty() || text.size() > 7) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > kMaxPairDelayMicros) return std::nullopt;
    return value;
}

std::optional<PairDelay> ParseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find('\t');
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = line.find('\t', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::optional<std::uint32_t> micros = ParseMicros(line.substr(second + 1));
    if (!micros || first == 0 || second == first + 1) return std::nullopt;
    return PairDelay{std::string(line.substr(0, first)), std::string(line.substr(first + 1, second - first - 1)), *micros};
}

// Calls `each` with every line of the text, without its LF.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        each(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

bool SamePair(const PairDelay& a, const PairDelay& b) { return a.midiOut == b.midiOut && a.waveIn == b.waveIn; }

}  // namespace

bool PairFitsALine(const PairDelay& delay) {
    const auto fits = [](std::string_view name) { return name.find_first_of("\t\r\n") == std::string_view::npos; };
    return fits(delay.midiOut) && fits(delay.waveIn);
}

std::vector<PairDelay> ParsePairDelays(std::string_view text) {
    std::vector<PairDelay> delays;
    ForEachLine(text, [&](std::string_view line) {
        if (std::optional<PairDelay> delay = ParseLine(line)) delays.push_back(std::move(*delay));
    });
    return delays;
}

std::optional<std::uint32_t> DelayOfPair(const std::vector<PairDelay>& delays, std::string_view midiOut,
                                         std::string_view waveIn) {
    for (const PairDelay& delay : delays)
        if (delay.midiOut == midiOut && delay.waveIn == waveIn) return delay.micros;
    return std::nullopt;
}

std::string WithPairDelay(std::string_view text, const PairDelay& delay) {
    const std::string line = delay.midiOut + "\t" + delay.waveIn + "\t" + std::to_string(delay.micros) + "\r\n";
    std::string out;
    bool placed = false;
    ForEachLine(text, [&](std::string_view old) {
        const std::optional<PairDelay> parsed = ParseLine(old);
        if (parsed && SamePair(*parsed, delay)) {
            if (!placed) out += line;
            placed = true;
            return;
        }
        if (old.empty()) return;  // the end of the last line, or an empty line: nothing to keep
        out += old;
        out += old.back() == '\r' ? "\n" : "\r\n";
    });
    if (!placed) out += line;
    return out;
}

std::string StartFolderFile(std::string_view startFolder, std::string_view name) {
    if (startFolder.empty()) return {};
    // Walked by characters: the second byte of a double-byte character may be 0x5C.
    bool endsInSeparator = false;
    for (std::size_t i = 0; i < startFolder.size(); ++i) {
        const auto c = static_cast<unsigned char>(startFolder[i]);
        endsInSeparator = c == '\\' || c == '/';
        if (IsCp932LeadByte(c)) ++i;
    }
    return std::string(startFolder) + (endsInSeparator ? "" : "\\") + std::string(name);
}

std::string DelaysPath(std::string_view startFolder) { return StartFolderFile(startFolder, kDelaysFileName); }

std::optional<std::string> ReadDelaysText(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    // One byte more than a file may hold tells a file that is too large.
    std::string text(kMaxDelaysFileBytes + 1, '\0');
    const std::size_t got = std::fread(text.data(), 1, text.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || got > kMaxDelaysFileBytes) return std::nullopt;
    text.resize(got);
    return text;
}

std::vector<PairDelay> ReadPairDelays(const std::string& path) {
    const std::optional<std::string> text = ReadDelaysText(path);
    return text ? ParsePairDelays(*text) : std::vector<PairDelay>{};
}

}  // namespace solvena
