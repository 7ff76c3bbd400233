#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"
#include "cli/cli_options.h"
#include "notify/desktop_notifier.h"
#include "notify/price_notice.h"

namespace zorvane::cli {

// The options of "watch run|add|list|remove".
struct WatchOptions
{
    std::string action;                  // "run", "add", "list" or "remove"
    SearchOptions search;                // run, add: the walk
    std::vector<std::string> searchArgs; // run, add: the walk's options and address as given
    std::vector<std::string> ruleArgs;   // run, add: --min-drop and --no-new as given
    WatchRule rule;
    std::string every = "6h"; // add: a systemd time span
    bool replace = false;     // add: --replace, the coupon's watch replaced
    std::string key;          // remove: the watch
    std::string dbPath;       // list: the history file, "" = the default one
    bool json = false;        // list: --format json
};

// True for "watch".
bool isWatchCommand(const std::string& name);

// Reads the arguments from "watch" on; "run --job KEY" reads the job's
// options. Nothing but the reason when they are wrong.
Result<WatchOptions> parseWatchCommand(const std::vector<std::string>& args);

// "run": one walk as search makes it, then its changes on out and a notice
// through notifier when something got cheaper or is new. Returns the exit
// status.
int runWatchWalk(const WatchOptions& options, Notifier& notifier, std::FILE* out, std::FILE* err);

// Runs any watch command. Returns the exit status.
int runWatchCommand(const WatchOptions& options, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
