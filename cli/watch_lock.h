#pragma once

#include <string>

#include "base/result.h"

namespace zorvane::cli {

// The hold of one watch's lock: two checks of one watch never walk at once,
// the one begun later ends instead. Released when it goes (or the process
// ends, however it ends).
class WatchLock final
{
public:
    enum class State
    {
        Held,   // this process checks the watch
        Busy,   // another process holds it
        Failed, // no lock file could be opened: the check goes on unguarded
    };

    // Tries once, without waiting, the lock of the watch key: a file under
    // $XDG_RUNTIME_DIR/zorvane (private to the user, gone at logout), else
    // beside the job files.
    explicit WatchLock(const std::string& key);
    ~WatchLock();
    WatchLock(const WatchLock&) = delete;
    WatchLock& operator=(const WatchLock&) = delete;

    State state() const { return m_state; }
    const std::string& path() const { return m_path; }
    // Why the lock file could not be used, when Failed.
    const std::string& failure() const { return m_failure; }

private:
    std::string m_path;
    int m_fd = -1;
    State m_state = State::Failed;
    std::string m_failure;
};

} // namespace zorvane::cli
