#include "tests/support/connect_proxy.h"

#include "tests/support/http_wire.h"
#include "tests/support/loopback.h"

#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorvane::test {

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;

bool sendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// The port of a loopback target ("127.0.0.1:443", "localhost:443"), 0 for any other.
int loopbackPort(const std::string& target)
{
    const std::size_t colon = target.rfind(':');
    if (colon == std::string::npos)
        return 0;
    const std::string host = target.substr(0, colon);
    if (host != "127.0.0.1" && host != "localhost")
        return 0;
    const int port = std::atoi(target.c_str() + colon + 1);
    return port > 0 && port < 65536 ? port : 0;
}

// Copies bytes both ways until either side closes.
void relay(int a, int b)
{
    char buffer[16384];
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    while (::poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0)
                continue;
            const ssize_t got = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (got <= 0 || !sendAll(fds[1 - i].fd, std::string_view(buffer, static_cast<std::size_t>(got))))
                return;
        }
    }
}

} // namespace

struct ConnectProxy::Impl
{
    std::optional<std::string> required;
    int listenFd = -1;
    int port = 0;
    std::thread acceptor;
    mutable std::mutex mutex;
    std::vector<std::thread> workers;
    std::set<int> openFds; // shut down by stop() to end blocked reads
    std::vector<ProxiedConnect> connects;
    bool stopping = false;

    void track(int fd, bool open)
    {
        std::lock_guard lock(mutex);
        if (open)
            openFds.insert(fd);
        else
            openFds.erase(fd);
    }

    int connectTo(int targetPort)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr = loopbackAddress(targetPort);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            track(fd, true);
            return fd;
        }
        if (fd >= 0)
            ::close(fd);
        return -1;
    }

    // The CONNECT head; "" when the client sent none.
    static std::string readHead(int fd)
    {
        std::string head;
        char c;
        while (head.size() < kMaxHead && head.find("\r\n\r\n") == std::string::npos) {
            if (::recv(fd, &c, 1, 0) != 1)
                return {};
            head += c;
        }
        return head;
    }

    int answer(const std::optional<RequestHead>& head, ProxiedConnect& seen)
    {
        if (!head || head->request.method != "CONNECT")
            return 400;
        seen.target = head->request.target;
        seen.authorization = head->request.header("Proxy-Authorization");
        if (required && seen.authorization != required)
            return 407;
        return loopbackPort(seen.target) ? 200 : 403;
    }

    void serve(int client)
    {
        ProxiedConnect seen;
        seen.status = answer(parseRequestHead(readHead(client)), seen);
        const int upstream = seen.status == 200 ? connectTo(loopbackPort(seen.target)) : -1;
        if (seen.status == 200 && upstream < 0)
            seen.status = 502;
        {
            std::lock_guard lock(mutex);
            connects.push_back(seen);
        }
        TestResponse reply{seen.status, "", {}, ""};
        if (seen.status == 407)
            reply.headers.emplace_back("Proxy-Authenticate", "Basic realm=\"test\"");
        std::string head = formatResponseHead(reply);
        // A tunnel's answer has no body and keeps the connection.
        if (seen.status == 200)
            head = "HTTP/1.1 200 Connection established\r\n\r\n";
        if (sendAll(client, head) && upstream >= 0)
            relay(client, upstream);
        for (int fd : {upstream, client}) {
            if (fd >= 0) {
                track(fd, false);
                ::close(fd);
            }
        }
    }

    void acceptLoop()
    {
        for (;;) {
            const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            std::lock_guard lock(mutex);
            if (client < 0 || stopping) {
                if (client >= 0)
                    ::close(client);
                return;
            }
            openFds.insert(client);
            workers.emplace_back([this, client] { serve(client); });
        }
    }
};

ConnectProxy::ConnectProxy(std::optional<std::string> requiredAuthorization)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->required = std::move(requiredAuthorization);
}

ConnectProxy::~ConnectProxy()
{
    stop();
}

bool ConnectProxy::start()
{
    Impl& impl = *m_impl;
    impl.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopbackAddress(0);
    socklen_t len = sizeof addr;
    if (impl.listenFd < 0 || ::bind(impl.listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(impl.listenFd, 16) != 0 ||
        ::getsockname(impl.listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return false;
    impl.port = ntohs(addr.sin_port);
    impl.acceptor = std::thread([&impl] { impl.acceptLoop(); });
    return true;
}

void ConnectProxy::stop()
{
    Impl& impl = *m_impl;
    if (impl.listenFd < 0)
        return;
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(impl.mutex);
        impl.stopping = true;
        ::shutdown(impl.listenFd, SHUT_RDWR);
        for (int fd : impl.openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    if (impl.acceptor.joinable())
        impl.acceptor.join();
    {
        std::lock_guard lock(impl.mutex);
        workers.swap(impl.workers);
    }
    for (std::thread& worker : workers)
        worker.join();
    ::close(impl.listenFd);
    impl.listenFd = -1;
}

int ConnectProxy::port() const
{
    return m_impl->port;
}

std::vector<ProxiedConnect> ConnectProxy::connects() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->connects;
}

} // namespace zorvane::test
