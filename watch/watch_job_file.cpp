#include "watch/watch_job_file.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_descriptor.h"

namespace zorvane {

namespace {

JobRead failed(JobFault fault, int errorNumber)
{
    JobRead read;
    read.problem.fault = fault;
    read.problem.errorNumber = errorNumber;
    return read;
}

JobProblem unwritable(int errorNumber)
{
    JobProblem problem;
    problem.fault = JobFault::Unwritable;
    problem.errorNumber = errorNumber;
    return problem;
}

} // namespace

JobRead readWatchJobFile(const std::string& path)
{
    // O_NONBLOCK: a FIFO in the job's place must not hold the reader.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        const int error = errno;
        return failed(error == ENOENT  ? JobFault::Missing
                      : error == ELOOP ? JobFault::SymbolicLink
                                       : JobFault::Unreadable,
                      error);
    }
    struct stat info
    {
    };
    if (::fstat(fd.get(), &info) != 0)
        return failed(JobFault::Unreadable, errno);
    if (!S_ISREG(info.st_mode))
        return failed(JobFault::NotAFile, 0);
    const bool tightened = (info.st_mode & 077) != 0 && ::fchmod(fd.get(), 0600) == 0;
    std::string text(kMaxJobFileBytes + 1, '\0');
    std::size_t size = 0;
    while (size < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + size, text.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(JobFault::Unreadable, errno);
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    text.resize(size);
    JobRead read = parseWatchJob(text);
    read.tightened = tightened;
    return read;
}

JobProblem writeWatchJobFile(const std::string& path, const WatchJob& job)
{
    if (const JobProblem problem = checkWatchJob(job); problem.fault != JobFault::None)
        return problem;
    const std::string text = watchJobText(job);
    if (text.size() > kMaxJobFileBytes)
        return {JobFault::TooLarge, "", 0, false, 0};
    // mkostemp makes the file 0600 from the start: the cookie is never readable by others.
    std::string temporary = path + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return unwritable(errno);
    const bool written = writeAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    const int writeError = errno;
    const bool closed = fd.close();
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = !written ? writeError : errno;
        ::unlink(temporary.c_str());
        return unwritable(error);
    }
    return {};
}

} // namespace zorvane
