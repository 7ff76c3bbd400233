#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/test_pki.h"

namespace zorvane::test {

// Header lines in the order they were sent or are to be sent.
using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as the server received it.
struct TestRequest
{
    std::string method;
    std::string target; // path and query, as on the request line
    HeaderList headers; // names and values as received (values trimmed)
    std::string body;

    // Value of the first header of that name (ASCII case-insensitive).
    std::optional<std::string> header(std::string_view name) const;
    // Number of headers of that name (ASCII case-insensitive).
    std::size_t headerCount(std::string_view name) const;
    std::vector<std::string> headerNames() const;
};

// How the answer goes wrong, if at all. The mid-body faults send the head
// and the first half of the body first.
enum class ResponseFault
{
    None,
    CloseMidBody, // close the connection (no TLS close_notify)
    ResetMidBody, // abort the connection with a TCP reset
    StallMidBody, // send nothing more until the server stops
};

// What the server answers. Content-Length (or Transfer-Encoding: chunked)
// and Connection: close are added unless the headers already carry them.
struct TestResponse
{
    int status = 200;
    std::string reason; // "" = the usual phrase for the status
    HeaderList headers;
    std::string body;
    bool chunked = false;               // send the body in chunks
    std::chrono::milliseconds delay{0}; // wait this long before answering
    bool stall = false;                 // never answer
    ResponseFault fault = ResponseFault::None;
};

// A small HTTP/1.1 server on 127.0.0.1 and an ephemeral port, plain or TLS,
// one thread per connection; one request per connection unless keep-alive is
// on. The handler runs on
// the connection threads, possibly several at once. stop() returns promptly
// even while clients are connected and answers are delayed or stalled.
class TestServer final
{
public:
    using Handler = std::function<TestResponse(const TestRequest&)>;

    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Replaces the handler; without one, every request gets 200 and "ok".
    void setHandler(Handler handler);
    // Keeps connections open for further requests, as a shop does, unless an
    // answer carries its own Connection header or a fault. Set before start().
    void setKeepAlive(bool keepAlive);

    // Listens on 127.0.0.1:0. With tls, presents the certificate of that kind.
    bool start(bool tls, CertKind cert = CertKind::Trusted);
    void stop();

    int port() const;
    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT".
    std::string baseUrl() const;
    // baseUrl() + target, target starting with "/".
    std::string url(std::string_view target) const;
    // PEM file of the CA that signs the trusted certificate.
    static std::string caFile();

    // Every request received so far, in arrival order.
    std::vector<TestRequest> requests() const;
    std::size_t requestCount() const;
    // Waits until at least count requests have arrived; false on time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    void clearRequests();
    // Connections accepted, and TLS handshakes completed, since start().
    std::size_t connectionCount() const;
    std::size_t handshakeCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zorvane::test
