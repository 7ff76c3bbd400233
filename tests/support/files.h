#pragma once

#include <filesystem>
#include <string>

namespace zorvane::test {

// The bytes of a file ("" when it cannot be read), and a file of these bytes.
std::string readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace zorvane::test
