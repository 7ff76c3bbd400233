#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"
#include "cli/watch_command.h"
#include "watch/watch_job.h"

namespace zorvane::cli {

// The folders under $XDG_CONFIG_HOME (~/.config when unset): the job files,
// and the user's systemd units.
std::string watchJobDirectory();
std::string userUnitDirectory();

// The key of the coupon's watch: the same for every address of the coupon.
std::string watchKey(const std::string& address);

// A systemd time span ("30min", "6h", "1d", "1h 30min") of at least ten
// minutes, or the reason it is not.
Result<void> checkTimeSpan(const std::string& span);

// The file of the watch KEY.
std::string watchJobPath(const std::string& key);

// The watch's job file, or what keeps it from being used, naming the file.
// One line on err tells when the file was readable by others and is now
// readable by the user alone.
Result<WatchJob> readWatchJob(const std::string& key, std::FILE* err);

// The words for a job file's problem, the file named.
std::string jobProblemText(const std::string& path, const JobProblem& problem);

// The program's own path as the service unit's ExecStart= takes it, or why
// systemd would refuse it.
Result<void> checkUnitProgram(const std::string& program);

// The units that run "program watch run --job KEY" every period. They name
// the job by its key only: the cookie and headers stay in the job file.
std::string watchServiceUnit(const std::string& key, const std::string& program);
std::string watchTimerUnit(const std::string& key, const std::string& every);

// "watch add", "watch list" and "watch remove KEY". Return the exit status.
int addWatch(const WatchOptions& options, std::FILE* out, std::FILE* err);
int listWatches(const WatchOptions& options, std::FILE* out, std::FILE* err);
int removeWatch(const std::string& key, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
