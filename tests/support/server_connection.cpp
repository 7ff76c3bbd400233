#include "tests/support/server_connection.h"

#include <cerrno>

#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvane::test {

ServerConnection::ServerConnection(int fd, SSL_CTX* ctx) : m_fd(fd)
{
    if (ctx) {
        m_ssl = SSL_new(ctx);
        if (m_ssl)
            SSL_set_fd(m_ssl, fd);
    }
}

ServerConnection::~ServerConnection()
{
    close();
}

bool ServerConnection::handshake()
{
    if (!m_ssl)
        return true;
    return SSL_accept(m_ssl) == 1;
}

std::size_t ServerConnection::read(char* buffer, std::size_t size)
{
    if (m_fd < 0)
        return 0;
    if (m_ssl) {
        std::size_t got = 0;
        return SSL_read_ex(m_ssl, buffer, size, &got) == 1 ? got : 0;
    }
    for (;;) {
        ssize_t got = ::recv(m_fd, buffer, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
}

bool ServerConnection::write(std::string_view data)
{
    while (!data.empty()) {
        std::size_t sent = 0;
        if (m_ssl) {
            if (SSL_write_ex(m_ssl, data.data(), data.size(), &sent) != 1)
                return false;
        } else {
            ssize_t n = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            sent = static_cast<std::size_t>(n);
        }
        data.remove_prefix(sent);
    }
    return true;
}

void ServerConnection::finish()
{
    if (m_fd < 0)
        return;
    if (m_ssl)
        SSL_shutdown(m_ssl);
    ::shutdown(m_fd, SHUT_WR);
    // Closing with unread input would send a reset that can overtake the
    // answer, so wait (briefly) for the client to close its side.
    char sink[4096];
    pollfd pfd{m_fd, POLLIN, 0};
    while (::poll(&pfd, 1, 2000) > 0) {
        if (::recv(m_fd, sink, sizeof sink, 0) <= 0)
            break;
    }
}

void ServerConnection::armReset()
{
    if (m_fd < 0)
        return;
    linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

void ServerConnection::close()
{
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace zorvane::test
