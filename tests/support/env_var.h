#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace zorvane::test {

// Sets an environment variable for the object's life (none = unset), then
// puts back what was there.
class EnvVar final
{
public:
    EnvVar(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~EnvVar() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace zorvane::test
