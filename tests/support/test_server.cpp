#include "tests/support/test_server.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/http_wire.h"
#include "tests/support/server_connection.h"

namespace zorvane::test {

namespace {

constexpr std::size_t kMaxHead = 1 << 20;

struct SslCtxDeleter
{
    void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};

std::unique_ptr<SSL_CTX, SslCtxDeleter> makeServerContext(CertKind kind)
{
    std::unique_ptr<SSL_CTX, SslCtxDeleter> ctx(SSL_CTX_new(TLS_server_method()));
    const CertAndKey& leaf = TestPki::shared().leaf(kind);
    if (!ctx || SSL_CTX_use_certificate(ctx.get(), leaf.cert.get()) != 1 ||
        SSL_CTX_use_PrivateKey(ctx.get(), leaf.key.get()) != 1)
        return nullptr;
    return ctx;
}

// Listening socket on 127.0.0.1 and an ephemeral port; -1 on failure.
int listenOnLoopback(int& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// Reads one request; false when the client sent none or a malformed one.
// Bytes read beyond it stay in pending for the next request.
bool readRequest(ServerConnection& conn, std::string& pending, TestRequest& request)
{
    std::string& data = pending;
    char buffer[16384];
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        std::size_t got = conn.read(buffer, sizeof buffer);
        if (got == 0 || data.size() > kMaxHead)
            return false;
        data.append(buffer, got);
    }
    std::optional<RequestHead> head = parseRequestHead(std::string_view(data).substr(0, headEnd + 4));
    if (!head)
        return false;
    if (head->expectContinue && !conn.write("HTTP/1.1 100 Continue\r\n\r\n"))
        return false;
    request = std::move(head->request);
    request.body = data.substr(headEnd + 4);
    while (request.body.size() < head->contentLength) {
        std::size_t got = conn.read(buffer, sizeof buffer);
        if (got == 0)
            return false;
        request.body.append(buffer, got);
    }
    data = request.body.substr(head->contentLength);
    request.body.resize(head->contentLength);
    return true;
}

// Whether the connection may carry another request after this answer.
bool staysOpen(bool keepAlive, const TestResponse& response)
{
    return keepAlive && !response.stall && response.fault == ResponseFault::None &&
           !hasHeader(response.headers, "Connection");
}

} // namespace

struct TestServer::Impl
{
    mutable std::mutex mutex;
    mutable std::condition_variable changed; // a request arrived or stopping began
    Handler handler;
    std::vector<TestRequest> received;
    std::set<int> openFds;
    std::vector<std::thread> workers;
    bool stopping = false;
    std::size_t connections = 0;
    std::size_t handshakes = 0;
    bool keepAlive = false;

    // Written by start() and stop() only, read by the threads they run.
    bool running = false;
    bool tls = false;
    int port = 0;
    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    std::unique_ptr<SSL_CTX, SslCtxDeleter> ctx;
    std::thread acceptThread;

    void acceptLoop();
    void serve(int fd);
    // True when the whole answer went out; keepOpen leaves the connection
    // open for the next request.
    bool answer(ServerConnection& conn, const TestResponse& response, bool isHead, bool keepOpen);
    // Takes and answers one request; false when the connection is done.
    bool serveOne(ServerConnection& conn, std::string& pending);
    // Waits for the time-out or for stop(); true when stopping.
    bool waitOrStop(std::optional<std::chrono::milliseconds> timeout);
};

void TestServer::Impl::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        // As a shop's server does: a small answer after the TLS session
        // tickets must not wait for the client's delayed acknowledgement.
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard lock(mutex);
        if (stopping) {
            ::close(fd);
            return;
        }
        openFds.insert(fd);
        workers.emplace_back([this, fd] { serve(fd); });
    }
}

void TestServer::Impl::serve(int fd)
{
    ServerConnection conn(fd, ctx.get());
    {
        std::lock_guard lock(mutex);
        ++connections;
    }
    if (conn.handshake()) {
        if (tls) {
            std::lock_guard lock(mutex);
            ++handshakes;
        }
        std::string pending;
        while (serveOne(conn, pending)) {
        }
    }
    // stop() shuts registered sockets down, so unregister before closing.
    std::lock_guard lock(mutex);
    openFds.erase(fd);
    conn.close();
}

bool TestServer::Impl::serveOne(ServerConnection& conn, std::string& pending)
{
    TestRequest request;
    if (!readRequest(conn, pending, request))
        return false;
    Handler current;
    bool keep = false;
    {
        std::lock_guard lock(mutex);
        received.push_back(request);
        current = handler;
        keep = keepAlive;
    }
    changed.notify_all();
    TestResponse response = current ? current(request) : TestResponse{200, "", {}, "ok"};
    const bool open = staysOpen(keep, response);
    if (open)
        response.headers.emplace_back("Connection", "keep-alive");
    return answer(conn, response, request.method == "HEAD", open) && open;
}

bool TestServer::Impl::answer(ServerConnection& conn, const TestResponse& response, bool isHead,
                              bool keepOpen)
{
    if (response.stall) {
        waitOrStop(std::nullopt);
        return false;
    }
    if (response.delay.count() > 0 && waitOrStop(response.delay))
        return false;
    std::string_view body = isHead ? std::string_view() : std::string_view(response.body);
    std::string_view first = body;
    if (response.fault != ResponseFault::None)
        first = body.substr(0, body.size() / 2);
    else if (response.chunked)
        first = body.substr(0, body.size() / 2); // two chunks test the client's reassembly

    std::string out = formatResponseHead(response);
    if (response.chunked && !first.empty())
        out += formatChunk(first);
    else if (!response.chunked)
        out += first;
    if (!conn.write(out))
        return false;
    switch (response.fault) {
    case ResponseFault::CloseMidBody:
        return false;
    case ResponseFault::ResetMidBody:
        conn.armReset();
        return false;
    case ResponseFault::StallMidBody:
        waitOrStop(std::nullopt);
        return false;
    case ResponseFault::None:
        break;
    }
    std::string_view rest = body.substr(first.size());
    if (response.chunked && !isHead) {
        out = rest.empty() ? std::string() : formatChunk(rest);
        out += formatChunk({});
    } else {
        out = rest;
    }
    if (!conn.write(out))
        return false;
    if (!keepOpen)
        conn.finish();
    return true;
}

bool TestServer::Impl::waitOrStop(std::optional<std::chrono::milliseconds> timeout)
{
    std::unique_lock lock(mutex);
    if (!timeout) {
        changed.wait(lock, [this] { return stopping; });
        return true;
    }
    return changed.wait_for(lock, *timeout, [this] { return stopping; });
}

TestServer::TestServer() : m_impl(std::make_unique<Impl>()) {}

TestServer::~TestServer()
{
    stop();
}

void TestServer::setHandler(Handler handler)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->handler = std::move(handler);
}

void TestServer::setKeepAlive(bool keepAlive)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->keepAlive = keepAlive;
}

bool TestServer::start(bool tls, CertKind cert)
{
    static std::once_flag ignorePipe;
    // A client that hangs up early must not kill the test with SIGPIPE
    // (OpenSSL writes with plain write(2)).
    std::call_once(ignorePipe, [] { std::signal(SIGPIPE, SIG_IGN); });

    Impl& d = *m_impl;
    if (d.running)
        return false;
    d.tls = tls;
    d.ctx.reset();
    if (tls && !(d.ctx = makeServerContext(cert)))
        return false;
    d.listenFd = listenOnLoopback(d.port);
    if (d.listenFd < 0)
        return false;
    if (::pipe2(d.wakePipe, O_CLOEXEC) != 0) {
        ::close(d.listenFd);
        d.listenFd = -1;
        return false;
    }
    d.stopping = false;
    d.connections = d.handshakes = 0;
    d.running = true;
    d.acceptThread = std::thread([&d] { d.acceptLoop(); });
    return true;
}

void TestServer::stop()
{
    Impl& d = *m_impl;
    if (!d.running)
        return;
    {
        std::lock_guard lock(d.mutex);
        d.stopping = true;
        for (int fd : d.openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    d.changed.notify_all();
    [[maybe_unused]] ssize_t ignored = ::write(d.wakePipe[1], "x", 1);
    d.acceptThread.join();
    for (std::thread& worker : d.workers)
        worker.join();
    d.workers.clear();
    ::close(d.listenFd);
    ::close(d.wakePipe[0]);
    ::close(d.wakePipe[1]);
    d.listenFd = d.wakePipe[0] = d.wakePipe[1] = -1;
    d.running = false;
}

int TestServer::port() const
{
    return m_impl->port;
}

std::string TestServer::baseUrl() const
{
    return std::string(m_impl->tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_impl->port);
}

std::string TestServer::url(std::string_view target) const
{
    return baseUrl() + std::string(target);
}

std::string TestServer::caFile()
{
    return TestPki::shared().caFile();
}

std::vector<TestRequest> TestServer::requests() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->received;
}

std::size_t TestServer::requestCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->received.size();
}

bool TestServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] { return m_impl->received.size() >= count; });
}

void TestServer::clearRequests()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->received.clear();
}

std::size_t TestServer::connectionCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->connections;
}

std::size_t TestServer::handshakeCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->handshakes;
}

} // namespace zorvane::test
