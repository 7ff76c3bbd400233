#include <optional>

#include "tests/support/scoped_environment.h"
#include "tests/web/http_fixture.h"
#include "tests/web/tinyproxy_runner.h"
#include "web/base64.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

TestResponse hello(const TestRequest&)
{
    return TestResponse{200, "", {}, "hello"};
}

// True when the request reached the server through tinyproxy.
bool cameThroughTinyproxy(const TestRequest& request)
{
    return request.header("Via").value_or("").find("tinyproxy") != std::string::npos;
}

// tinyproxy answers missing credentials with 407 and wrong ones with 401:
// either is the proxy's refusal, not a page of the shop.
bool refusedByProxy(const HttpRequest& request)
{
    return request.statusCode == 0 && request.failure == HttpFailure::ProxyCredentials;
}

class HttpRequestProxy : public HttpFixture
{
protected:
    void SetUp() override
    {
        if (!TinyProxyRunner::available())
            GTEST_SKIP() << TinyProxyRunner::kProgram << " is not installed";
    }

    // A request to the plain-http server through proxy.
    HttpRequest viaProxy(const TinyProxyRunner& runner) const
    {
        HttpRequest request = requestTo("/through");
        request.proxy = runner.address();
        return request;
    }

    TinyProxyRunner proxy;
};

} // namespace

TEST_F(HttpRequestProxy, OpenProxyCarriesTheRequest)
{
    serve(hello, false);
    ASSERT_TRUE(proxy.start()) << proxy.log();
    HttpRequest request = viaProxy(proxy);
    EXPECT_EQ(httpRequest(request), "hello") << proxy.log();
    EXPECT_EQ(request.statusCode, 200);
    TestRequest got = onlyRequest();
    EXPECT_TRUE(cameThroughTinyproxy(got));
    EXPECT_EQ(got.target, "/through");
    EXPECT_EQ(got.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
}

TEST_F(HttpRequestProxy, ProxyWithBasicAuthNeedsTheRightCredentials)
{
    serve(hello, false);
    ASSERT_TRUE(proxy.start("zorvane", "s3cret")) << proxy.log();

    HttpRequest right = viaProxy(proxy);
    right.proxyUser = "zorvane";
    right.proxyPassword = "s3cret";
    EXPECT_EQ(httpRequest(right), "hello") << proxy.log();
    EXPECT_EQ(right.statusCode, 200);
    ASSERT_EQ(server.requestCount(), 1u);
    // The proxy consumes the credentials; they do not travel on.
    EXPECT_EQ(server.requests()[0].headerCount("Proxy-Authorization"), 0u);

    HttpRequest wrong = viaProxy(proxy);
    wrong.proxyUser = "zorvane";
    wrong.proxyPassword = "guess";
    httpRequest(wrong);
    EXPECT_PRED1(refusedByProxy, wrong);

    HttpRequest none = viaProxy(proxy);
    httpRequest(none);
    EXPECT_PRED1(refusedByProxy, none);

    HttpRequest otherMode = viaProxy(proxy);
    otherMode.proxyUser = "zorvane";
    otherMode.proxyPassword = "s3cret";
    otherMode.proxyMode = 0;
    httpRequest(otherMode);
    EXPECT_PRED1(refusedByProxy, otherMode);

    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HttpRequestProxy, ProxyFailuresAreToldAsProxyFailures)
{
    serve(hello, true);
    ASSERT_TRUE(proxy.start("zorvane", "s3cret")) << proxy.log();
    TestServer gone;
    ASSERT_TRUE(gone.start(false));
    const std::string closedAddress = "127.0.0.1:" + std::to_string(gone.port());
    gone.stop();
    const struct
    {
        const char* what;
        std::string url;   // "" = the server
        std::string proxy; // "" = tinyproxy
        const char* password;
        HttpFailure failure;
        std::string cause; // what the log says after "原因："
    } rows[] = {
        {"wrong password", "", "", "guess", HttpFailure::ProxyCredentials, "代理拒绝了用户名或密码"},
        {"plain http, wrong password", "http://" + closedAddress + "/", "", "guess",
         HttpFailure::ProxyCredentials, "代理拒绝了用户名或密码"},
        {"shop unreachable", "https://" + closedAddress + "/", "", "s3cret", HttpFailure::ProxyTunnel,
         "代理未能连接到商店：CONNECT tunnel failed, response 500"},
        {"no proxy there", "", closedAddress, "s3cret", HttpFailure::ProxyRefused, "代理连接被拒绝"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        HttpRequest request = viaProxy(proxy);
        if (!row.url.empty())
            request.url = row.url;
        if (!row.proxy.empty())
            request.proxy = row.proxy;
        request.proxyUser = "zorvane";
        request.proxyPassword = row.password;
        EXPECT_EQ(httpRequest(request), "");
        EXPECT_EQ(request.statusCode, 0);
        EXPECT_EQ(request.failure, row.failure);
        EXPECT_EQ(failureCause(request.failure, request.failureText), row.cause);
    }
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(HttpRequestProxy, HttpsTunnelKeepsCredentialsAwayFromTheServer)
{
    serve(hello, true);
    ASSERT_TRUE(proxy.start("zorvane", "s3cret")) << proxy.log();
    HttpRequest request = viaProxy(proxy);
    request.proxyUser = "zorvane";
    request.proxyPassword = "s3cret";
    EXPECT_EQ(httpRequest(request), "hello") << proxy.log();
    TestRequest got = onlyRequest();
    EXPECT_EQ(got.headerCount("Proxy-Authorization"), 0u);
    EXPECT_EQ(namesWeSent(got), kDefaultNames);
}

TEST_F(HttpRequestProxy, EnvironmentProxiesAreIgnored)
{
    serve(hello, true);
    ScopedEnvironment dead({{"http_proxy", "http://127.0.0.1:9"},
                            {"https_proxy", "http://127.0.0.1:9"},
                            {"HTTPS_PROXY", "http://127.0.0.1:9"},
                            {"ALL_PROXY", "http://127.0.0.1:9"},
                            {"all_proxy", "http://127.0.0.1:9"}});
    HttpRequest request = requestTo("/");
    EXPECT_EQ(httpRequest(request), "hello");
    EXPECT_FALSE(cameThroughTinyproxy(onlyRequest()));
}

TEST_F(HttpRequestProxy, NoProxyEnvironmentDoesNotBypassTheGivenProxy)
{
    serve(hello, false);
    ASSERT_TRUE(proxy.start()) << proxy.log();
    ScopedEnvironment bypass({{"no_proxy", "127.0.0.1,localhost"}, {"NO_PROXY", "127.0.0.1,localhost"}});
    HttpRequest request = viaProxy(proxy);
    EXPECT_EQ(httpRequest(request), "hello");
    EXPECT_TRUE(cameThroughTinyproxy(onlyRequest()));
}

// A test server standing in for the proxy shows what a proxy receives.
using HttpRequestProxyHeaders = HttpFixture;

TEST_F(HttpRequestProxyHeaders, CredentialsHeaderOnlyInModeOneWithAUser)
{
    serve(hello, false);
    struct Case
    {
        std::string user;
        std::optional<int> mode;
        bool sent;
    };
    const Case cases[] = {{"us:er", std::nullopt, true},
                          {"us:er", 1, true},
                          {"us:er", 0, false},
                          {"us:er", 2, false},
                          {"", 1, false}};
    for (const Case& c : cases) {
        HttpRequest request;
        request.url = "http://shop.invalid/list?page=2";
        request.proxy = "127.0.0.1:" + std::to_string(server.port());
        request.proxyUser = c.user;
        request.proxyPassword = "pässword";
        request.proxyMode = c.mode;
        request.cookie = "a=1";
        EXPECT_EQ(httpRequest(request), "hello");
    }
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), std::size(cases));
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i].target, "http://shop.invalid/list?page=2");
        EXPECT_EQ(all[i].header("Cookie"), "a=1");
        if (cases[i].sent)
            EXPECT_EQ(all[i].header("Proxy-Authorization"), "Basic " + base64Encode("us:er:pässword"));
        else
            EXPECT_EQ(all[i].headerCount("Proxy-Authorization"), 0u);
    }
}
