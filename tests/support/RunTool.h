#pragma once
#include <string>

namespace mrt::test {

// Runs mrtkel-tool (the build's binary) with `args`, `env` (VAR=value words for env(1), may be
// empty) in front; returns its standard output, and its exit code in `status` (-1 when it did not
// exit normally). Standard error goes to `err` when given, else it is discarded.
std::string RunTool(const std::string& args, int& status, const std::string& env = "", std::string* err = nullptr);

} // namespace mrt::test
