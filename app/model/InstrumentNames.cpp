#include "app/model/InstrumentNames.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "song/Song.h"

namespace solvena {

namespace {

// The white space of the C library's "C" locale. The trail byte of a code page 932 character
// (0x40..0xFC) is never one of them, so splitting bytes at white space never cuts a character.
bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Magnitudes at or above this are all alike: far outside every key, and no overflow while reading.
constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 40;

// The first byte that is not white space, or EOF (also on a read error).
int SkipBlanks(std::FILE* file) {
    int c = std::getc(file);
    while (IsBlank(c)) c = std::getc(file);
    return c;
}

// A decimal integer as the C library reads one from a stream: white space, an optional sign,
// one or more digits; the byte after the digits stays unread. Nothing when there is no integer
// (end of file, read error, or another byte where a digit must be). A number outside the 32-bit
// range is read whole but comes back outside that range, so it equals no key.
std::optional<std::int64_t> ReadInteger(std::FILE* file) {
    int c = SkipBlanks(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(file);
    }
    if (!IsDigit(c)) return std::nullopt;
    std::int64_t magnitude = 0;
    while (IsDigit(c)) {
        if (magnitude < kMagnitudeCap) magnitude = magnitude * 10 + (c - '0');
        c = std::getc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    return negative ? -magnitude : magnitude;
}

// Skips white space and reads one word: the bytes up to the next white space or the end of the
// file. Keeps at most `keep` bytes of it (the rest is read and dropped, so the next record starts
// in the right place). Nothing when the file ends (or fails) before the word starts.
std::optional<std::string> ReadWord(std::FILE* file, std::size_t keep) {
    int c = SkipBlanks(file);
    if (c == EOF) return std::nullopt;
    std::string word;
    while (c != EOF && !IsBlank(c)) {
        if (word.size() < keep) word.push_back(static_cast<char>(c));
        c = std::getc(file);
    }
    return word;
}

// A word that fits the name buffer stays as it stands. A longer one keeps the whole characters of
// code page 932 that fit in kInstrumentNameBytes: a double-byte character that would straddle the
// limit goes with the rest, so the name never ends in half a character.
std::string CutToNameBytes(std::string word) {
    if (word.size() <= kInstrumentNameBytes) return word;
    std::size_t end = 0;
    while (end < kInstrumentNameBytes) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(word[end])) ? 2 : 1;
        if (end + width > kInstrumentNameBytes) break;
        end += width;
    }
    word.resize(end);
    return word;
}

struct Key {
    std::int64_t bankMsb;
    std::int64_t bankLsb;
    std::int64_t program;  // counted from 1, as the file counts it
};

// Scans the open file from its start for the first record with the key; see LookupInstrumentName.
std::string ScanForName(std::FILE* file, const Key& key) {
    for (;;) {
        const std::optional<std::int64_t> msb = ReadInteger(file);
        if (!msb) return {};
        const std::optional<std::int64_t> lsb = ReadInteger(file);
        if (!lsb) return {};
        const std::optional<std::int64_t> program = ReadInteger(file);
        if (!program) return {};
        if (!ReadInteger(file)) return {};  // the fourth integer is read and ignored
        if (*msb == key.bankMsb && *lsb == key.bankLsb && *program == key.program) {
            // Enough bytes to tell whether the word is longer than a name may be.
            std::optional<std::string> word = ReadWord(file, kInstrumentNameBytes + 1);
            return word ? CutToNameBytes(std::move(*word)) : std::string();
        }
        if (!ReadWord(file, 0)) return {};
    }
}

// The scan's result for the file at `path`; nothing when there is no such file. A file that is
// there but cannot be opened (locked by an editor, say) names nothing: it still decides.
std::optional<std::string> NameFromFile(const std::string& path, const Key& key) {
    if (path.empty()) return std::nullopt;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        // Only a refusal says the file is there; any other failure (no such file, a name the
        // system cannot take) is a file that does not exist.
        if (errno == EACCES) return std::string();
        return std::nullopt;
    }
    std::string name = ScanForName(file, key);
    std::fclose(file);
    return name;
}

// No program change, no key. The sum is taken in 64 bits, so no program overflows it.
std::optional<Key> KeyOf(std::int32_t bankMsb, std::int32_t bankLsb, std::int32_t program) {
    if (program < 0) return std::nullopt;
    return Key{bankMsb, bankLsb, std::int64_t{program} + 1};
}

constexpr std::string_view kDeviceNamesSuffix = "_instruments.ini";

}  // namespace

std::string LookupInstrumentName(const std::string& path, std::int32_t bankMsb, std::int32_t bankLsb,
                                 std::int32_t program) {
    const std::optional<Key> key = KeyOf(bankMsb, bankLsb, program);
    if (!key) return {};
    return NameFromFile(path, *key).value_or(std::string());
}

std::string DeviceNamesPath(std::string_view startFolder, std::string_view deviceName) {
    if (startFolder.size() + deviceName.size() + kDeviceNamesSuffix.size() > kDeviceNamesPathLimit) return {};
    std::string path(startFolder);
    path += deviceName;
    path += kDeviceNamesSuffix;
    return path;
}

std::string InstrumentNameFor(const std::string& instrumentsPath, const std::string& devicePath,
                              std::int32_t bankMsb, std::int32_t bankLsb, std::int32_t program) {
    const std::optional<Key> key = KeyOf(bankMsb, bankLsb, program);
    if (!key) return {};
    if (std::optional<std::string> fromDevice = NameFromFile(devicePath, *key)) return std::move(*fromDevice);
    return NameFromFile(instrumentsPath, *key).value_or(std::string());
}

}  // namespace solvena
