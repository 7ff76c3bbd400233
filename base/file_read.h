#pragma once

#include <string>

namespace zorvane {

// Reads the whole file into bytes, replacing what it held (its capacity is
// reused, so a caller reading many files allocates once). The bytes go
// straight from the system into the buffer, without a stream buffer in
// between. False when the file cannot be opened or read (a folder, say).
bool readWholeFile(const std::string& path, std::string& bytes);

} // namespace zorvane
