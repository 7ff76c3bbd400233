#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zorvane {

enum class ReadOutcome
{
    Read,
    Unreadable, // cannot be opened or read (a folder, say)
    TooLarge,   // more than the limit: read no further than one byte past it
};

// Reads the whole file into bytes, replacing what it held (its capacity is
// reused, so a caller reading many files allocates once). The bytes go
// straight from the system into the buffer, without a stream buffer in
// between. A file of more than limit bytes (or an endless one, /dev/zero)
// is refused before its bytes are held; bytes is then empty.
ReadOutcome readWholeFile(const std::string& path, std::string& bytes, std::size_t limit);

// The same for a stream already open, standard input say, read to its end.
ReadOutcome readWholeStream(std::FILE* stream, std::string& bytes, std::size_t limit);

} // namespace zorvane
