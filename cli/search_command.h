#pragma once

#include <cstdint>
#include <cstdio>

#include "cli/cli_options.h"

namespace zorvane::cli {

// Runs "search" the way the window runs a start: the same input check, the
// same search thread, then the sort, the filter and the export over what was
// gathered. The log goes to err. Returns the exit status.
int runSearch(const SearchOptions& options, std::FILE* err);

// What a search did: its exit status and the walk it recorded.
struct SearchOutcome
{
    int status = 0;
    std::int64_t walkId = 0; // the walk's id in the history file, 0 when none was recorded
};

// runSearch, telling also which walk in the history file is this one's.
SearchOutcome runRecordedSearch(const SearchOptions& options, std::FILE* err);

} // namespace zorvane::cli
