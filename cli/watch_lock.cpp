#include "cli/watch_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "cli/watch_jobs.h"

namespace zorvane::cli {

namespace {

std::string lockDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime == '/' ? std::string(runtime) + "/zorvane" : watchJobDirectory();
}

} // namespace

WatchLock::WatchLock(const std::string& key)
{
    const std::string folder = lockDirectory();
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    m_path = folder + "/watch-" + key + ".lock";
    // Close-on-exec: a program the check starts must not keep the watch locked after it.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_failure = std::strerror(errno);
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_state = State::Held;
        return;
    }
    m_state = errno == EWOULDBLOCK ? State::Busy : State::Failed;
    m_failure = std::strerror(errno);
}

WatchLock::~WatchLock()
{
    // The file stays: removed while a second check has it open, a third
    // would lock a new file beside the second's hold of the old one.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace zorvane::cli
