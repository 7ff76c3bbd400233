#pragma once

#include <string>

#include "base/result.h"
#include "cli/cli_options.h"
#include "core/config.h"
#include "search/search_thread.h"

namespace zorvane::cli {

// The configuration of a search: the "配置" section of --config (when given)
// under --search-host, --insecure, --cacert and --proxy. Nothing but the reason
// when the settings file cannot be read.
Result<Config> searchConfig(const SearchOptions& options);

// Why the CSV file surely cannot be written, or "" when it may be. Checked
// before the walk so that a typo does not cost the whole walk.
std::string outputProblem(const std::string& path);

// Why the start refused the typed inputs, in the user's language and named by
// the option that stands for the refused input ("--interval: ...").
std::string startRefusal(const SearchStart& start, const SearchOptions& options);

} // namespace zorvane::cli
