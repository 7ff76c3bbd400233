#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "tests/support/files.h"

namespace zorvane::test {

// The names in a directory, sorted.
std::vector<std::string> entriesOf(const std::filesystem::path& dir);

// While it lives, writes of this process past the size fail (SIGXFSZ
// ignored) whoever the user is, root included.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace zorvane::test
