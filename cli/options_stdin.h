#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace zorvane::cli {

// The option that reads further options from standard input: a cookie, a
// header or a proxy password given on the command line can be read by any
// local user (ps, /proc/PID/cmdline); given on standard input, it cannot.
inline constexpr std::string_view kOptionsStdin = "--options-stdin";

// More than any real set of options, cookies included.
inline constexpr std::size_t kOptionsStdinLimit = 4 * 1024 * 1024;

// The options of text, one a line ("--cookie=TEXT", "-H=Name: value",
// "--insecure"), each as one argument: "-X=value" becomes "-Xvalue". Empty
// lines are skipped, a CR before the LF dropped. A line that is no option
// is refused by its number, never quoted: it may be a secret.
Result<std::vector<std::string>> optionLines(std::string_view text);

// The arguments with kOptionsStdin (before any "--") replaced by the options
// read from standard input, for "search", "watch add" and "watch run"; other
// commands' arguments come back as they are. Reads standard input only when
// the option is there.
Result<std::vector<std::string>> withOptionsFromStdin(const std::vector<std::string>& args);

} // namespace zorvane::cli
