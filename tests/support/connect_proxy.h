#pragma once

#include "tests/support/test_server.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zorvane::test {

// A CONNECT request as the proxy received it, and its answer.
struct ProxiedConnect
{
    std::string target;                       // "host:port"
    std::optional<std::string> authorization; // the Proxy-Authorization value
    int status = 0;                           // 200 tunnel, 407 credentials, 403 not loopback
};

// An HTTP proxy on 127.0.0.1 and an ephemeral port that only tunnels
// (CONNECT), and only to 127.0.0.1 or localhost. With required credentials,
// a CONNECT without exactly that Proxy-Authorization value gets 407.
class ConnectProxy final
{
public:
    explicit ConnectProxy(std::optional<std::string> requiredAuthorization = std::nullopt);
    ~ConnectProxy();
    ConnectProxy(const ConnectProxy&) = delete;
    ConnectProxy& operator=(const ConnectProxy&) = delete;

    bool start();
    void stop();
    int port() const;
    std::vector<ProxiedConnect> connects() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zorvane::test
