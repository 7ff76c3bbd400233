#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_server.h"
#include "web/http_request.h"

namespace zorvane::test {

// A test with one server on 127.0.0.1 (HTTPS under the test CA unless asked
// otherwise) and requests aimed at it.
class HttpFixture : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { httpGlobalInit(); }

    void serve(TestServer::Handler handler, bool tls = true, CertKind cert = CertKind::Trusted)
    {
        server.setHandler(std::move(handler));
        ASSERT_TRUE(server.start(tls, cert));
    }

    // A request to target on the server that trusts the test CA.
    HttpRequest requestTo(const std::string& target) const
    {
        HttpRequest request;
        request.url = server.url(target);
        request.caFile = TestServer::caFile();
        return request;
    }

    // The only request the server received.
    TestRequest onlyRequest() const
    {
        std::vector<TestRequest> all = server.requests();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? TestRequest{} : all.front();
    }

    TestServer server;
};

// Header names of a request other than the ones curl has to add itself.
inline std::vector<std::string> namesWeSent(const TestRequest& request)
{
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers) {
        if (name != "Host" && name != "Content-Length")
            names.push_back(name);
    }
    return names;
}

inline const std::vector<std::string> kDefaultNames{"Accept", "Referer", "Accept-Language", "User-Agent",
                                                    "Content-Type"};

} // namespace zorvane::test
