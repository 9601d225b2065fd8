// songdump's JSON: members keep the order they were added in, the order readers are used to.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace solvena {

using Json = nlohmann::ordered_json;

// Raw bytes as lowercase hex without separators. Names and titles go out this way: they are in
// the file's own code page, and the hex shows exactly the bytes the program reads.
std::string HexText(std::string_view bytes);

// The document as text with a final newline. An object of plain values (a track, a conductor slot,
// a stream record) stays on one line, so long lists read one entry per line; everything else is
// indented by two spaces a level.
std::string JsonText(const Json& value);

}  // namespace solvena
