#pragma once

#include <string>
#include <string_view>

namespace zorvane {

enum class FileWriteStatus
{
    Ok,
    OpenFailed,  // the file (or its temporary twin) could not be created or opened
    WriteFailed, // a write, flush, close or the final rename failed
};

struct FileWriteResult
{
    FileWriteStatus status = FileWriteStatus::Ok;
    std::string error;   // strerror text of the failing step, "" on success
    int errorNumber = 0; // errno of the failing step, 0 on success

    bool ok() const { return status == FileWriteStatus::Ok; }
};

// Gives the file at path exactly these bytes. A regular file (or a missing
// one) is written to a uniquely named temporary file in the same directory,
// synced and renamed over the target, so a failure at any step leaves the
// previous file untouched and no temporary file behind. When the directory
// takes no new file (no permission, read-only) but the file exists, the file
// is truncated and written in place instead. A symbolic link is
// followed and its target replaced. A device or FIFO (for example /dev/null)
// cannot be renamed over and is written in place; a directory is refused.
FileWriteResult replaceFileContents(const std::string& path, std::string_view bytes);

// The errno that replaceFileContents(path, ...) would meet before writing a
// byte (no permission, a read-only file system, a missing folder, a
// directory in the way), 0 when none shows. Leaves the file system as it was.
int replaceFileProblem(const std::string& path);

} // namespace zorvane
