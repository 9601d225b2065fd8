#include "tools/songdump/Json.h"

#include <algorithm>

namespace solvena {

namespace {

void Append(const Json& value, std::size_t depth, std::string& out) {
    if (value.is_primitive()) {
        // Every string here is hex or ASCII that songdump writes itself, so a string that is not
        // UTF-8 is a fault in songdump: strict makes it throw (main reports it) instead of
        // quietly replacing bytes.
        out += value.dump(-1, ' ', false, Json::error_handler_t::strict);
        return;
    }
    const bool oneLine = value.is_object() &&
                         std::all_of(value.begin(), value.end(), [](const Json& m) { return m.is_primitive(); });
    const std::string indent = "\n" + std::string(2 * (depth + 1), ' ');
    out += value.is_object() ? '{' : '[';
    bool first = true;
    for (const auto& [key, member] : value.items()) {
        if (!first) out += ',';
        out += oneLine ? (first ? "" : " ") : indent;
        first = false;
        if (value.is_object()) out += Json(key).dump() + ": ";
        Append(member, depth + 1, out);
    }
    if (!oneLine && !first) out += indent.substr(0, indent.size() - 2);
    out += value.is_object() ? '}' : ']';
}

}  // namespace

std::string HexText(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        hex += kDigits[u >> 4];
        hex += kDigits[u & 0x0F];
    }
    return hex;
}

std::string JsonText(const Json& value) {
    std::string text;
    Append(value, 0, text);
    return text + '\n';
}

}  // namespace solvena
