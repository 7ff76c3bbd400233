#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"

namespace zorvane::cli {

struct ImportedCookie
{
    std::string cookie;  // what the walk sends: the file's cookies for the address, then --cookie's
    std::string logLine; // "" when no file was given
};

// The cookie text of a search from --cookies (a file, or "firefox") and
// --cookie. Nothing, with the one-line reason in error, when the file gives
// no cookies at all: a walk without the login the user asked for would only
// meet the login page.
std::optional<ImportedCookie> importSearchCookie(const SearchOptions& options, std::string& error);

} // namespace zorvane::cli
