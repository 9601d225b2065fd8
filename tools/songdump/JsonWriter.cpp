#include "tools/songdump/JsonWriter.h"

#include <cstdio>

namespace solvena {

void JsonWriter::NewLine() {
    out_ += '\n';
    out_.append(levels_.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (!level.empty) out_ += level.oneLine ? ", " : ",";
    if (!level.oneLine) NewLine();
    level.empty = false;
}

void JsonWriter::BeginObject(bool oneLine) {
    BeforeValue();
    out_ += '{';
    levels_.push_back({oneLine || (!levels_.empty() && levels_.back().oneLine), true});
}

void JsonWriter::BeginArray(bool oneLine) {
    BeforeValue();
    out_ += '[';
    levels_.push_back({oneLine || (!levels_.empty() && levels_.back().oneLine), true});
}

void JsonWriter::Close(char bracket) {
    if (levels_.empty()) return;
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty && !level.oneLine) NewLine();
    out_ += bracket;
    if (levels_.empty()) out_ += '\n';
}

void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(std::string_view key) {
    BeforeValue();
    Quote(key);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
}

void JsonWriter::String(std::string_view text) {
    BeforeValue();
    Quote(text);
}

void JsonWriter::Quote(std::string_view text) {
    out_ += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (u < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            out_ += esc;
        } else {
            out_ += c;
        }
    }
    out_ += '"';
}

void JsonWriter::HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        hex += kDigits[u >> 4];
        hex += kDigits[u & 0x0F];
    }
    String(hex);
}

}  // namespace solvena
