#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"
#include "cli/watch_command.h"

namespace zorvane::cli {

// A watch as its job file holds it.
struct WatchJob
{
    std::string key;
    std::string every;             // the timer's period, a systemd time span
    std::string address;           // the coupon's address as given
    std::vector<std::string> args; // what follows "watch run": the walk's options, the rule's, the address
};

// The folders under $XDG_CONFIG_HOME (~/.config when unset): the job files,
// and the user's systemd units.
std::string watchJobDirectory();
std::string userUnitDirectory();

// The key of the coupon's watch: the same for every address of the coupon.
std::string watchKey(const std::string& address);

// A systemd time span ("30min", "6h", "1d", "1h 30min") of at least ten
// minutes, or the reason it is not.
Result<void> checkTimeSpan(const std::string& span);

// The watch's job file, or why there is none to read.
Result<WatchJob> readWatchJob(const std::string& key);

// The units that run "program watch run --job KEY" every period. They name
// the job by its key only: the cookie and headers stay in the job file.
std::string watchServiceUnit(const std::string& key, const std::string& program);
std::string watchTimerUnit(const std::string& key, const std::string& every);

// "watch add", "watch list" and "watch remove KEY". Return the exit status.
int addWatch(const WatchOptions& options, std::FILE* out, std::FILE* err);
int listWatches(const WatchOptions& options, std::FILE* out, std::FILE* err);
int removeWatch(const std::string& key, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
