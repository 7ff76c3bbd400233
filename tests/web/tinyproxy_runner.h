#pragma once

#include <string>

#include <sys/types.h>

#include "tests/support/temp_dir.h"

namespace zorvane::test {

// Runs Debian's tinyproxy in the foreground on 127.0.0.1 and a free port,
// with a generated configuration; stopped by the destructor.
class TinyProxyRunner final
{
public:
    static constexpr const char* kProgram = "/usr/bin/tinyproxy";

    TinyProxyRunner() = default;
    ~TinyProxyRunner();
    TinyProxyRunner(const TinyProxyRunner&) = delete;
    TinyProxyRunner& operator=(const TinyProxyRunner&) = delete;

    static bool available();
    // With a non-empty user, the proxy demands Basic credentials. Returns once
    // the proxy accepts connections; false when it did not come up.
    bool start(const std::string& user = {}, const std::string& password = {});
    void stop();
    // "127.0.0.1:PORT", the form the proxy parameter takes.
    std::string address() const;
    // The proxy's own log, for failure messages.
    std::string log() const;

private:
    TempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace zorvane::test
