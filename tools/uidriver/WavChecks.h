// The independent reader of what a run wrote: tests/ui/wav_check.py, run with the system's Python
// (a Linux program that Wine starts). It reports "key value" lines through a result file.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace uidriver {

using CheckResult = std::map<std::string, std::string>;

// Runs wav_check.py with `command`, the files (Windows paths under Z:) and then `values` as they
// stand. Fails with the script's error when there is one.
std::optional<CheckResult> RunWavCheck(const std::string& command, const std::vector<std::string>& files,
                                       std::string* error, const std::vector<std::string>& values = {});

// A value of the result as a number; NaN when it is missing.
double NumberOf(const CheckResult& result, const std::string& key);
// A value as text; empty when it is missing.
std::string ValueOf(const CheckResult& result, const std::string& key);

// "Z:\a\b" as the Linux path "/a/b".
std::string UnixPath(const std::string& windowsPath);

}  // namespace uidriver
