// Texts read from the program are code page 932 bytes, and so are this driver's literals (the
// same compiler options as the program). AnsiText keeps the bytes for exact comparison and
// prints them as UTF-8, so a failure reads as Japanese on a Linux terminal.
#pragma once

#include <ostream>
#include <string>
#include <utility>

namespace uidriver {

struct AnsiText {
    std::string bytes;

    AnsiText() = default;
    AnsiText(const char* text) : bytes(text) {}  // NOLINT: literals read best unwrapped
    explicit AnsiText(std::string text) : bytes(std::move(text)) {}

    bool operator==(const AnsiText&) const = default;
    bool StartsWith(const AnsiText& head) const { return bytes.compare(0, head.bytes.size(), head.bytes) == 0; }
};

// CP932 to UTF-8; bytes that are not CP932 come out as "\xNN".
std::string ToUtf8(const std::string& cp932);

void PrintTo(const AnsiText& text, std::ostream* out);

}  // namespace uidriver
