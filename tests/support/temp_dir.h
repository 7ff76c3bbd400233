#pragma once

#include <filesystem>

namespace zorvane::test {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempDir final
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // path() / name, as a string.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

} // namespace zorvane::test
