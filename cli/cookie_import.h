#pragma once

#include <string>

#include "base/result.h"
#include "cli/cli_options.h"

namespace zorvane::cli {

struct ImportedCookie
{
    std::string cookie;  // what the walk sends: the file's cookies for the address, then --cookie's
    std::string logLine; // "" when no file was given
    std::string warning; // "" unless the file had no cookie for the address
};

// The cookie text of a search from --cookies (a file, or "firefox") and
// --cookie. Nothing but the one-line reason when the file gives no cookies at
// all: a walk without the login the user asked for would only meet the login
// page.
Result<ImportedCookie> importSearchCookie(const SearchOptions& options);

} // namespace zorvane::cli
