#pragma once

#include <cstdio>

#include "cli/cli_options.h"

namespace zorvane::cli {

// Analyses each saved page (or, for "-", the page on standard input) exactly
// as the walk analyses a fetched one and writes its goods items to out in the
// chosen format; notes about pages without goods and unreadable files go to
// err, the notes only when not quiet. Returns the exit status.
int runExtract(const ExtractOptions& options, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
