#pragma once

#include <cstdio>

#include "cli/cli_options.h"

namespace zorvane::cli {

// Runs "search" the way the window runs a start: the same input check, the
// same search thread, then the sort, the filter and the export over what was
// gathered. The log goes to err. Returns the exit status.
int runSearch(const SearchOptions& options, std::FILE* err);

} // namespace zorvane::cli
