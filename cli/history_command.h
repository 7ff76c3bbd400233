#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "history/history_store.h"

namespace zorvane::cli {

// The options of "history" and "changes".
struct HistoryOptions
{
    std::string command; // "history" or "changes"
    std::string dbPath;  // "" = the default file
    bool json = false;   // --format json: one object per line
    std::string address; // changes: an address of the coupon
};

// True for the commands this file runs.
bool isHistoryCommand(const std::string& name);

// Reads the arguments from the command name on. Nothing but the reason when
// they are wrong.
Result<HistoryOptions> parseHistoryCommand(const std::vector<std::string>& args);

// The history file the window keeps beside its settings file.
std::string defaultHistoryPath();

// The changes of a walk, one per goods item, where the walk first saw it.
std::vector<SightingChange> changesPerGoodsItem(const std::vector<SightingChange>& sightings);

// One line of "changes": TSV, or a JSON object.
void writeChange(std::FILE* out, const SightingChange& item, bool json);

// Tells why a history file could not be opened for reading: a file that is no
// history file is named as such.
void reportUnreadable(const std::string& path, const SqlStatus& status, std::FILE* err);

// "history": the walks of the file, oldest first, one per line.
// "changes": the goods of the coupon's last walk against the walks before.
// Returns the exit status.
int runHistoryCommand(const HistoryOptions& options, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
