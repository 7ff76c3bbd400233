#pragma once

#include <string_view>
#include <utility>

#include <unistd.h>

namespace zorvane {

// An open file descriptor, closed on destruction unless closed explicitly.
class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool valid() const { return m_fd >= 0; }
    int get() const { return m_fd; }

    // Closes now; false (with errno set) when the close reported an error.
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

// Writes all the bytes, going on after interruptions; false (with errno set)
// when a write failed.
bool writeAll(int fd, std::string_view bytes);

} // namespace zorvane
