#pragma once

#include <cstdint>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace zorvane::test {

// 127.0.0.1 and the port (0 = any free one when binding).
inline sockaddr_in loopbackAddress(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

} // namespace zorvane::test
