#include "base/file_read.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zorvane {

namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool readWholeFile(const std::string& path, std::string& bytes)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        bytes.clear();
        return false;
    }
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    std::error_code ignored;
    const std::uintmax_t expected = std::filesystem::file_size(path, ignored);
    // One byte more than the size shows the end in the same read; a file
    // that grows meanwhile is read on in larger steps.
    std::size_t capacity = ignored ? 64 * 1024 : static_cast<std::size_t>(expected) + 1;
    std::size_t size = 0;
    for (;;) {
        // Growing only: the bytes already there need no zeroing first.
        if (bytes.size() < capacity)
            bytes.resize(capacity);
        size += std::fread(bytes.data() + size, 1, capacity - size, file.get());
        if (size < capacity)
            break;
        capacity *= 2;
    }
    bytes.resize(size);
    if (std::ferror(file.get())) {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace zorvane
