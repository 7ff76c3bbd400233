#pragma once

#include <cstddef>
#include <string_view>

#include <openssl/types.h>

namespace zorvane::test {

// One accepted socket, plain or TLS, with blocking reads and writes. Another
// thread may call shutdown(2) on fd() to break a blocked read or write.
class ServerConnection final
{
public:
    // ctx null = plain connection. Takes ownership of fd.
    ServerConnection(int fd, SSL_CTX* ctx);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    int fd() const { return m_fd; }
    // TLS handshake; true at once for plain connections.
    bool handshake();
    // Up to size bytes; 0 at the end of the stream or on an error.
    std::size_t read(char* buffer, std::size_t size);
    bool write(std::string_view data);

    // Orderly end before close(): TLS close_notify, our half closed, the
    // client's rest read.
    void finish();
    // Makes the coming close send a TCP reset.
    void armReset();
    // Closes without close_notify, as a crashed peer would.
    void close();

private:
    int m_fd;
    SSL* m_ssl = nullptr;
};

} // namespace zorvane::test
