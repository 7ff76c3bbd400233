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
