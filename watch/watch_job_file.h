#pragma once

#include <string>

#include "watch/watch_job.h"

namespace zorvane {

// The job file at path, read without following a symbolic link and against
// its shape. A file others could read or write (it holds the cookie) is
// tightened to 0600, and JobRead::tightened says so.
JobRead readWatchJobFile(const std::string& path);

// Writes the job to path, readable by the user alone: a new file renamed over
// path, so that a symbolic link there is replaced, not followed, and a
// failure leaves the earlier job as it was.
JobProblem writeWatchJobFile(const std::string& path, const WatchJob& job);

} // namespace zorvane
