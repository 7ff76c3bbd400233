#include "base/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_descriptor.h"

namespace zorvane {

namespace {

FileWriteResult failure(FileWriteStatus status, int err)
{
    return {status, std::generic_category().message(err), err};
}

// Devices and FIFOs: no rename possible, so the bytes go straight in.
FileWriteResult writeInPlace(const std::string& path, std::string_view bytes)
{
    // Non-blocking open so that a FIFO without a reader fails instead of hanging.
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return failure(FileWriteStatus::OpenFailed, errno);
    int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    if (!writeAll(fd.get(), bytes) || !fd.close())
        return failure(FileWriteStatus::WriteFailed, errno);
    return {};
}

// A regular file whose directory takes no new files: truncated and rewritten.
// The previous contents are lost if this fails, which beats not writing at all.
FileWriteResult rewriteInPlace(const std::string& path, std::string_view bytes)
{
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return failure(FileWriteStatus::OpenFailed, errno);
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close())
        return failure(FileWriteStatus::WriteFailed, errno);
    return {};
}

// The directory refuses new entries, as opposed to having no room for them.
bool isDirectoryRefusal(int err)
{
    return err == EACCES || err == EPERM || err == EROFS;
}

// Creates a fresh file beside target; its name never collides with another
// writer's, in this process or another.
FileDescriptor createTemporary(const std::string& dir, const std::string& base, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    // Keep the name well inside NAME_MAX whatever the target's length.
    std::string stem = base.substr(0, 100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath =
            dir + "." + stem + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // 0666 lets the umask decide a new file's permissions as for any created file.
        FileDescriptor fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid() || errno != EEXIST)
            return fd;
    }
    return FileDescriptor(-1);
}

// The directory (with its slash, "" for the current one) and the name.
std::pair<std::string, std::string> splitPath(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), target};
    return {target.substr(0, slash + 1), target.substr(slash + 1)};
}

// What a symbolic link points at, so that the target is replaced and not the
// link; the path itself for anything else.
std::string linkTarget(const std::string& path)
{
    struct stat linkSt
    {
    };
    char resolved[PATH_MAX];
    if (::lstat(path.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode) &&
        ::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    return path;
}

// The errno of opening the file with these flags, 0 when it opens.
int openProblem(const std::string& path, int flags)
{
    FileDescriptor fd(::open(path.c_str(), flags | O_NOCTTY | O_CLOEXEC));
    return fd.valid() ? 0 : errno;
}

FileWriteResult writeViaTemporary(const std::string& target, std::string_view bytes,
                                  const struct stat* previous)
{
    const auto [dir, base] = splitPath(target);
    if (base.empty())
        return failure(FileWriteStatus::OpenFailed, EISDIR);

    std::string tempPath;
    FileDescriptor fd = createTemporary(dir, base, tempPath);
    if (!fd.valid()) {
        const int err = errno;
        if (previous && isDirectoryRefusal(err))
            return rewriteInPlace(target, bytes);
        return failure(FileWriteStatus::OpenFailed, err);
    }
    if (previous) {
        // The replacement keeps the previous file's permissions and, where allowed, its owner.
        ::fchmod(fd.get(), previous->st_mode & 07777);
        if (::fchown(fd.get(), previous->st_uid, previous->st_gid) != 0)
            errno = 0;
    }
    bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    int err = errno;
    if (!fd.close() && written) {
        written = false;
        err = errno;
    }
    if (written && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        written = false;
        err = errno;
    }
    if (!written) {
        ::unlink(tempPath.c_str());
        return failure(FileWriteStatus::WriteFailed, err);
    }
    // Make the rename itself durable; a failure here cannot undo it, so it is not reported.
    FileDescriptor dirFd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.valid())
        ::fsync(dirFd.get());
    return {};
}

} // namespace

FileWriteResult replaceFileContents(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return failure(FileWriteStatus::OpenFailed, ENOENT);
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return writeViaTemporary(path, bytes, nullptr);
    if (S_ISDIR(st.st_mode))
        return failure(FileWriteStatus::OpenFailed, EISDIR);
    if (!S_ISREG(st.st_mode))
        return writeInPlace(path, bytes);
    return writeViaTemporary(linkTarget(path), bytes, &st);
}

int replaceFileProblem(const std::string& path)
{
    if (path.empty())
        return ENOENT;
    struct stat st
    {
    };
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return EISDIR;
    if (exists && !S_ISREG(st.st_mode))
        return openProblem(path, O_WRONLY | O_NONBLOCK);
    const std::string target = exists ? linkTarget(path) : path;
    const auto [dir, base] = splitPath(target);
    if (base.empty())
        return EISDIR;
    std::string tempPath;
    if (createTemporary(dir, base, tempPath).valid()) {
        ::unlink(tempPath.c_str());
        return 0;
    }
    const int err = errno;
    // As the write would, fall back to rewriting the file in place.
    return exists && isDirectoryRefusal(err) ? openProblem(target, O_WRONLY) : err;
}

} // namespace zorvane
