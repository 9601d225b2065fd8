// A small file written whole or not at all: beside itself first, then put in its place, so a full
// disk or a crash keeps the last whole one.
#pragma once

#include <string>

namespace solvena::engine {

bool ReplaceFileWith(const std::string& path, const std::string& bytes);

}  // namespace solvena::engine
