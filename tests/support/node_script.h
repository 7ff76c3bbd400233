#pragma once

#include <optional>
#include <string>

namespace zorvane::test {

// Runs JavaScript source under Node.js with input on its standard input and
// returns what it wrote to its standard output; nullopt when there is no
// node on PATH or it did not end well. For comparing with a script engine.
std::optional<std::string> runNodeScript(const std::string& script, const std::string& input);

// True when node is on PATH.
bool nodeAvailable();

} // namespace zorvane::test
