#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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

// Reads the arguments from the command name on. Nothing, with the reason in
// error, when they are wrong.
std::optional<HistoryOptions> parseHistoryCommand(const std::vector<std::string>& args, std::string& error);

// The history file the window keeps beside its settings file.
std::string defaultHistoryPath();

// "history": the walks of the file, oldest first, one per line.
// "changes": the goods of the coupon's last walk against the walks before.
// Returns the exit status.
int runHistoryCommand(const HistoryOptions& options, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
