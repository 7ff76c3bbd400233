#include "base/file_read.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zorvane {

namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads until the end or one byte past the limit, starting with room for
// capacity bytes.
ReadOutcome readUpTo(std::FILE* stream, std::string& bytes, std::size_t limit, std::size_t capacity)
{
    const std::size_t most = limit + 1;
    capacity = std::min(capacity, most);
    std::size_t size = 0;
    for (;;) {
        // Growing only: the bytes already there need no zeroing first.
        if (bytes.size() < capacity)
            bytes.resize(capacity);
        size += std::fread(bytes.data() + size, 1, capacity - size, stream);
        if (size < capacity || capacity == most)
            break;
        capacity = std::min(capacity * 2, most);
    }
    if (size > limit || std::ferror(stream)) {
        bytes.clear();
        return size > limit ? ReadOutcome::TooLarge : ReadOutcome::Unreadable;
    }
    bytes.resize(size);
    return ReadOutcome::Read;
}

} // namespace

ReadOutcome readWholeFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        bytes.clear();
        return ReadOutcome::Unreadable;
    }
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    std::error_code ignored;
    const std::uintmax_t expected = std::filesystem::file_size(path, ignored);
    if (!ignored && expected > limit) {
        bytes.clear();
        return ReadOutcome::TooLarge;
    }
    // One byte more than the size shows the end in the same read; a file
    // that grows meanwhile is read on in larger steps.
    return readUpTo(file.get(), bytes, limit, ignored ? 64 * 1024 : static_cast<std::size_t>(expected) + 1);
}

ReadOutcome readWholeStream(std::FILE* stream, std::string& bytes, std::size_t limit)
{
    return readUpTo(stream, bytes, limit, 64 * 1024);
}

} // namespace zorvane
