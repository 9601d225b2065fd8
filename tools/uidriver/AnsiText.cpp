#include "AnsiText.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace uidriver {

std::string ToUtf8(const std::string& cp932) {
    if (cp932.empty()) return {};
    int wide = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()),
                                   nullptr, 0);
    if (wide <= 0) {
        std::string escaped;
        for (unsigned char c : cp932) {
            char buf[8];
            if (c >= 0x20 && c < 0x7F) {
                escaped += static_cast<char>(c);
            } else {
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                escaped += buf;
            }
        }
        return escaped;
    }
    std::vector<wchar_t> w(static_cast<std::size_t>(wide));
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), w.data(), wide);
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

void PrintTo(const AnsiText& text, std::ostream* out) {
    *out << '"';
    for (char c : ToUtf8(text.bytes)) {
        if (c == '\n') {
            *out << "\\n";
        } else if (c == '\r') {
            *out << "\\r";
        } else {
            *out << c;
        }
    }
    *out << '"';
}

}  // namespace uidriver
