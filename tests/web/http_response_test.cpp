#include <map>

#include "base/text.h"
#include "tests/web/http_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

const std::string kBinaryBody("<html>\0\xe4\xb8\xad\r\n", 11);

TestResponse withCookies(const TestRequest&)
{
    return TestResponse{
        404, "", {{"X-A", "1"}, {"set-cookie", "a=1; path=/"}, {"SET-COOKIE", "b=2; HttpOnly"}}, kBinaryBody};
}

TestResponse redirects(const TestRequest& request)
{
    if (request.target == "/start")
        return TestResponse{302, "", {{"Location", "/final"}, {"Set-Cookie", "r=1"}}, "moved"};
    if (request.target == "/see-other")
        return TestResponse{303, "", {{"Location", "/final"}}, ""};
    if (request.target == "/loop")
        return TestResponse{302, "", {{"Location", "/loop"}}, ""};
    return TestResponse{200, "", {{"X-Final", "yes"}, {"Set-Cookie", "f=2; path=/"}}, "done"};
}

} // namespace

using HttpRequestReceiving = HttpFixture;

TEST_F(HttpRequestReceiving, StatusBodyAndFinalHeaderText)
{
    serve(withCookies);
    HttpRequest request = requestTo("/");
    EXPECT_EQ(httpRequest(request), kBinaryBody);
    EXPECT_EQ(request.statusCode, 404);
    EXPECT_EQ(request.returnedHeaders, "X-A: 1\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; HttpOnly\r\n"
                                       "Content-Length: 11\r\nConnection: close");
}

TEST_F(HttpRequestReceiving, CookiesWithoutAGivenCookieAreNotMerged)
{
    serve(withCookies);
    HttpRequest request = requestTo("/");
    httpRequest(request);
    EXPECT_EQ(request.returnedCookie, "a=1; b=2");
    EXPECT_FALSE(request.cookie.has_value());
    EXPECT_EQ(onlyRequest().headerCount("Cookie"), 0u);
}

TEST_F(HttpRequestReceiving, GivenCookieReceivesTheMerge)
{
    serve(withCookies);
    HttpRequest request = requestTo("/");
    request.cookie = "b=0; c=3";
    httpRequest(request);
    EXPECT_EQ(onlyRequest().header("Cookie"), "b=0; c=3");
    EXPECT_EQ(*request.cookie, "a=1; b=2; c=3");
    EXPECT_EQ(request.returnedCookie, "a=1; b=2; c=3");
}

TEST_F(HttpRequestReceiving, EmptyGivenCookieIsNotSentButFilled)
{
    serve(withCookies);
    HttpRequest request = requestTo("/");
    request.cookie = "";
    httpRequest(request);
    EXPECT_EQ(onlyRequest().headerCount("Cookie"), 0u);
    EXPECT_EQ(*request.cookie, "a=1; b=2");
}

TEST_F(HttpRequestReceiving, MergeCanBeTurnedOff)
{
    serve(withCookies);
    HttpRequest request = requestTo("/");
    request.cookie = "b=0; c=3";
    request.mergeCookies = false;
    httpRequest(request);
    EXPECT_EQ(*request.cookie, "b=0; c=3");
    EXPECT_EQ(request.returnedCookie, "a=1; b=2");
}

TEST_F(HttpRequestReceiving, ServerCanDeleteACookie)
{
    serve([](const TestRequest&) {
        return TestResponse{200, "", {{"Set-Cookie", "b=deleted; path=/"}}, "x"};
    });
    HttpRequest request = requestTo("/");
    request.cookie = "a=1; b=2";
    httpRequest(request);
    EXPECT_EQ(*request.cookie, "a=1");
}

TEST_F(HttpRequestReceiving, ChunkedBodyIsReassembled)
{
    const std::string body(70000, 'c');
    serve([&](const TestRequest&) {
        TestResponse response{200, "", {}, body};
        response.chunked = true;
        return response;
    });
    HttpRequest request = requestTo("/");
    EXPECT_EQ(httpRequest(request), body);
    EXPECT_EQ(request.returnedHeaders, "Transfer-Encoding: chunked\r\nConnection: close");
}

TEST_F(HttpRequestReceiving, HeadGivesHeadersWithoutBody)
{
    serve([](const TestRequest&) { return TestResponse{200, "", {{"X-A", "1"}}, std::string(5000, 'h')}; });
    HttpRequest request = requestTo("/");
    request.method = 2;
    EXPECT_EQ(httpRequest(request), "");
    EXPECT_EQ(request.statusCode, 200);
    EXPECT_EQ(request.returnedHeaders, "X-A: 1\r\nContent-Length: 5000\r\nConnection: close");
}

TEST_F(HttpRequestReceiving, RedirectsAreFollowedAndOnlyTheFinalHeadersKept)
{
    serve(redirects);
    HttpRequest request = requestTo("/start");
    request.cookie = "k=1";
    EXPECT_EQ(httpRequest(request), "done");
    EXPECT_EQ(request.statusCode, 200);
    EXPECT_EQ(request.returnedHeaders, "X-Final: yes\r\nSet-Cookie: f=2; path=/\r\nContent-Length: 4\r\n"
                                       "Connection: close");
    EXPECT_EQ(*request.cookie, "f=2; k=1");

    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].target, "/final");
    EXPECT_EQ(all[1].header("Cookie"), "k=1");
    EXPECT_EQ(namesWeSent(all[1]), namesWeSent(all[0]));
}

TEST_F(HttpRequestReceiving, NoRedirectReturnsTheRedirectItself)
{
    serve(redirects);
    HttpRequest request = requestTo("/start");
    request.noRedirect = true;
    EXPECT_EQ(httpRequest(request), "moved");
    EXPECT_EQ(request.statusCode, 302);
    EXPECT_EQ(request.returnedHeaders,
              "Location: /final\r\nSet-Cookie: r=1\r\nContent-Length: 5\r\nConnection: close");
    EXPECT_EQ(request.returnedCookie, "r=1");
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HttpRequestReceiving, PostRedirectedBySeeOtherBecomesGet)
{
    serve(redirects);
    HttpRequest request = requestTo("/see-other");
    request.method = 1;
    request.bodyText = "a=1";
    EXPECT_EQ(httpRequest(request), "done");
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].method, "POST");
    EXPECT_EQ(all[1].method, "GET");
    EXPECT_EQ(all[1].body, "");
}

TEST_F(HttpRequestReceiving, EndlessRedirectsFail)
{
    serve(redirects);
    HttpRequest request = requestTo("/loop");
    EXPECT_EQ(httpRequest(request), "");
    EXPECT_EQ(request.statusCode, 0);
    EXPECT_EQ(request.returnedHeaders, "");
    EXPECT_GT(server.requestCount(), 5u);
}

// The cookie and the caller's own headers go to the host they were given for,
// wherever a redirect leads; the defaults go everywhere. Two servers, each
// reached as 127.0.0.1 (the caller's host) or as localhost (another host).
TEST_F(HttpRequestReceiving, CookieAndOwnHeadersStayWithTheirHost)
{
    TestServer other;
    const auto hop = [&](const TestRequest& request) {
        const std::string otherPort = std::to_string(other.port());
        const std::string ownPort = std::to_string(server.port());
        const std::map<std::string, std::string> next = {
            {"/same", "/final"},
            {"/cross", "https://localhost:" + otherPort + "/final"},
            {"/port", "https://127.0.0.1:" + otherPort + "/final"},
            {"/cross-back", "https://LOCALHOST:" + otherPort + "/back"},
            {"/back", "https://127.0.0.1:" + ownPort + "/final"},
            {"/cross-307", "https://localhost:" + otherPort + "/final"},
        };
        const auto found = next.find(request.target);
        if (found == next.end())
            return TestResponse{200, "", {}, request.body};
        return TestResponse{
            request.target == "/cross-307" ? 307 : 302, "", {{"Location", found->second}}, ""};
    };
    other.setHandler(hop);
    ASSERT_TRUE(other.start(true));
    serve(hop);
    for (const std::string target : {"/same", "/cross", "/port", "/cross-back", "/cross-307"}) {
        SCOPED_TRACE(target);
        server.clearRequests();
        other.clearRequests();
        HttpRequest request = requestTo(target);
        request.cookie = "sid=secret";
        request.extraHeaders = "X-Token: t0ken\r\nUser-Agent: mine";
        request.method = target == "/cross-307" ? 1 : 0;
        request.bodyText = target == "/cross-307" ? "a=1" : "";
        httpRequest(request);
        EXPECT_EQ(request.statusCode, 200);
        std::vector<TestRequest> all = server.requests();
        for (const TestRequest& got : other.requests())
            all.push_back(got);
        EXPECT_GE(all.size(), 2u);
        for (const TestRequest& got : all) {
            const bool own = startsWith(got.header("Host").value_or(""), "127.0.0.1:");
            EXPECT_EQ(got.header("Cookie").has_value(), own) << got.target;
            EXPECT_EQ(got.header("X-Token").has_value(), own) << got.target;
            EXPECT_EQ(got.header("User-Agent").value_or(""),
                      own ? "mine" : "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
            EXPECT_EQ(got.body, request.bodyText) << got.target;
        }
    }
}
