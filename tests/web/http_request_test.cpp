#include <algorithm>

#include "tests/web/http_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

using Names = std::vector<std::string>;

Names concat(Names first, const Names& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TestResponse echoBody(const TestRequest& request)
{
    return TestResponse{200, "", {}, request.body};
}

} // namespace

using HttpRequestSending = HttpFixture;

TEST_F(HttpRequestSending, EmptyHeaderTextSendsExactlyTheFiveDefaults)
{
    serve(echoBody);
    HttpRequest request = requestTo("/page?x=1");
    httpRequest(request);

    TestRequest got = onlyRequest();
    EXPECT_EQ(got.method, "GET");
    EXPECT_EQ(got.target, "/page?x=1");
    ASSERT_FALSE(got.headers.empty());
    EXPECT_EQ(got.headers.front().first, "Host");
    EXPECT_EQ(namesWeSent(got), kDefaultNames);
    EXPECT_EQ(got.header("Accept"), "*/*");
    EXPECT_EQ(got.header("Referer"), request.url);
    EXPECT_EQ(got.header("Accept-Language"), "zh-cn");
    EXPECT_EQ(got.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    EXPECT_EQ(got.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.extraHeaders,
              "Accept: */*\r\nReferer: " + request.url +
                  "\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE "
                  "9.0; Windows NT 6.1)\r\nContent-Type: application/x-www-form-urlencoded");
}

TEST_F(HttpRequestSending, CookieThenCallersHeadersInTheirOrder)
{
    serve(echoBody);
    HttpRequest request = requestTo("/");
    request.cookie = "a=1; b=2";
    request.extraHeaders = "X-Second: 2\r\n  X-First :  1 \r\nX-Empty:\r\nbogus line\r\n\r\nX-Last: z\r\n";
    httpRequest(request);

    TestRequest got = onlyRequest();
    EXPECT_EQ(namesWeSent(got),
              concat({"Cookie", "X-Second", "X-First", "X-Empty", "X-Last"}, kDefaultNames));
    EXPECT_EQ(got.header("Cookie"), "a=1; b=2");
    EXPECT_EQ(got.header("X-First"), "1");
    EXPECT_EQ(got.header("X-Empty"), "");
}

TEST_F(HttpRequestSending, LineBreaksNeverReachTheWire)
{
    serve([](const TestRequest&) { return TestResponse{200, "", {{"Set-Cookie", "s=3"}}, "ok"}; });
    struct Row
    {
        std::string cookie;
        std::string sent;   // the Cookie header the server read; "" = none
        std::string merged; // the cookie written back
    };
    const Row rows[] = {
        {"a=1\r\n", "a=1", "s=3; a=1"},
        {"a=1\r\nb=2", "a=1; b=2", "s=3; a=1; b=2"},
        {" a=1;\n\n\r\n b=2 ;\r", "a=1; b=2", "s=3; a=1; b=2"},
        {"\r\n", "", "s=3"},
        {"a=1;;b=2", "a=1;;b=2", "s=3; a=1; ; b=2"}, // no line break: as before
    };
    for (const Row& row : rows) {
        server.clearRequests();
        HttpRequest request = requestTo("/p?k=1\n2 x<>\"{}|\\^`\xC3\xA9%41");
        request.cookie = row.cookie;
        request.extraHeaders = "X-Mine: 1";
        httpRequest(request);
        const TestRequest got = onlyRequest();
        // The address goes out percent-encoded, its own escape untouched.
        EXPECT_EQ(got.target, "/p?k=1%0A2%20x%3C%3E%22%7B%7D%7C%5C%5E%60%C3%A9%41");
        const Names cookie = row.sent.empty() ? Names{} : Names{"Cookie"};
        EXPECT_EQ(namesWeSent(got), concat(concat(cookie, {"X-Mine"}), kDefaultNames)) << row.cookie;
        EXPECT_EQ(got.header("Cookie").value_or(""), row.sent);
        EXPECT_EQ(request.cookie.value_or("?"), row.merged);
    }
}

TEST_F(HttpRequestSending, OnlyHttpAndHttpsAreRequested)
{
    serve([](const TestRequest& request) {
        return TestResponse{302, "", {{"Location", request.target.substr(1)}}, ""};
    });
    const std::string port = std::to_string(server.port());
    for (const std::string& address : {std::string("file:///etc/passwd"), "dict://127.0.0.1:" + port + "/x",
                                       "ftp://127.0.0.1:" + port + "/"}) {
        const std::size_t connections = server.connectionCount();
        HttpRequest direct;
        direct.url = address;
        EXPECT_EQ(httpRequest(direct), "") << address;
        EXPECT_EQ(direct.statusCode, 0);
        EXPECT_EQ(server.connectionCount(), connections) << address;

        // Nor does a redirect lead anywhere else.
        HttpRequest redirected = requestTo("/" + address);
        httpRequest(redirected);
        EXPECT_EQ(redirected.statusCode, 0) << address;
        EXPECT_EQ(server.requestCount(), 1u) << address;
        server.clearRequests();
    }
}

TEST_F(HttpRequestSending, LowerCaseAcceptStillGetsTheDefaultAccept)
{
    serve(echoBody);
    HttpRequest request = requestTo("/");
    request.extraHeaders = "accept: text/html";
    httpRequest(request);

    TestRequest got = onlyRequest();
    ASSERT_EQ(namesWeSent(got), concat({"accept"}, kDefaultNames));
    EXPECT_EQ(got.header("accept"), "text/html");
    EXPECT_EQ(got.headers[2].second, "*/*");
}

TEST_F(HttpRequestSending, CallersRefererReplacesOnlyTheDefaultReferer)
{
    serve(echoBody);
    HttpRequest request = requestTo("/");
    request.extraHeaders = "Referer: https://start.example/";
    httpRequest(request);

    TestRequest got = onlyRequest();
    EXPECT_EQ(namesWeSent(got),
              (Names{"Referer", "Accept", "Accept-Language", "User-Agent", "Content-Type"}));
    EXPECT_EQ(got.header("Referer"), "https://start.example/");
    EXPECT_EQ(got.headerCount("Referer"), 1u);
}

TEST_F(HttpRequestSending, CompletedTextTravelsToTheNextPageUnchanged)
{
    serve(echoBody);
    HttpRequest request = requestTo("/page1");
    httpRequest(request);
    const std::string firstUrl = request.url;
    const std::string completed = request.extraHeaders;
    request.url = server.url("/page2");
    httpRequest(request);

    EXPECT_EQ(request.extraHeaders, completed);
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].target, "/page2");
    EXPECT_EQ(all[1].header("Referer"), firstUrl);
    EXPECT_EQ(namesWeSent(all[1]), kDefaultNames);
}

TEST_F(HttpRequestSending, MethodCodes)
{
    serve(echoBody);
    const std::pair<int, const char*> cases[] = {{0, "GET"}, {1, "POST"},  {2, "HEAD"},
                                                 {3, "PUT"}, {4, "PATCH"}, {5, "DELETE"},
                                                 {6, "GET"}, {7, "GET"},   {-1, "GET"}};
    for (const auto& [code, name] : cases) {
        HttpRequest request = requestTo("/");
        request.method = code;
        httpRequest(request);
        EXPECT_EQ(request.statusCode, 200) << code;
    }
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), std::size(cases));
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i].method, cases[i].second) << "code " << cases[i].first;
}

TEST_F(HttpRequestSending, BodyBytesWinOverBodyText)
{
    serve(echoBody);
    const std::string binary("a\0b\xff\r\n", 6);
    HttpRequest request = requestTo("/");
    request.method = 1;
    request.bodyText = "ignored";
    request.bodyBytes = binary;
    EXPECT_EQ(httpRequest(request), binary);

    TestRequest got = onlyRequest();
    EXPECT_EQ(got.method, "POST");
    EXPECT_EQ(got.body, binary);
    EXPECT_EQ(got.header("Content-Length"), "6");
    EXPECT_EQ(got.headerCount("Content-Type"), 1u);
    EXPECT_EQ(namesWeSent(got), kDefaultNames);
}

TEST_F(HttpRequestSending, BodyTextGoesWithEveryMethodButHead)
{
    serve(echoBody);
    for (int method : {0, 1, 3, 4, 5}) {
        HttpRequest request = requestTo("/");
        request.method = method;
        request.bodyText = "q=" + std::to_string(method);
        EXPECT_EQ(httpRequest(request), request.bodyText);
    }
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].method, "GET");
    EXPECT_EQ(all[0].body, "q=0");
    EXPECT_EQ(all[4].method, "DELETE");
    EXPECT_EQ(all[4].body, "q=5");
}

TEST_F(HttpRequestSending, EmptyPostSendsNoBodyBytes)
{
    serve(echoBody);
    HttpRequest request = requestTo("/");
    request.method = 1;
    httpRequest(request);
    TestRequest got = onlyRequest();
    EXPECT_EQ(got.method, "POST");
    EXPECT_EQ(got.body, "");
    EXPECT_EQ(got.header("Content-Length"), "0");
}

TEST_F(HttpRequestSending, LargeBodyGoesWithoutExpectContinue)
{
    serve([](const TestRequest& request) {
        return TestResponse{200, "", {}, std::to_string(request.body.size())};
    });
    HttpRequest request = requestTo("/");
    request.method = 1;
    request.bodyBytes = std::string(3 << 20, 'p');
    EXPECT_EQ(httpRequest(request), std::to_string(3 << 20));
    TestRequest got = onlyRequest();
    EXPECT_EQ(got.headerCount("Expect"), 0u);
    EXPECT_EQ(got.body, request.bodyBytes);
}

// A head libcurl could not send is refused in words before any connection;
// one just under the limit goes out whole.
TEST_F(HttpRequestSending, CookieOverOneMegabyteIsRefusedBeforeSending)
{
    serve(echoBody);
    struct Case
    {
        std::size_t cookieBytes;
        bool sent;
    };
    const Case cases[] = {{(std::size_t{1} << 20) - 8192, true}, {std::size_t{1} << 20, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cookieBytes);
        server.clearRequests();
        const std::size_t connections = server.connectionCount();
        HttpRequest request = requestTo("/");
        request.cookie = "big=" + std::string(c.cookieBytes - 4, 'v');
        httpRequest(request);
        EXPECT_EQ(request.statusCode, c.sent ? 200 : 0);
        EXPECT_EQ(server.connectionCount() - connections, c.sent ? 1u : 0u);
        if (c.sent) {
            EXPECT_EQ(onlyRequest().header("Cookie").value_or("").size(), c.cookieBytes);
        } else {
            EXPECT_EQ(request.failureText.find("请求头过长"), 0u) << request.failureText;
            EXPECT_NE(request.failureText.find("Cookie " + std::to_string(c.cookieBytes) + "字节"),
                      std::string::npos)
                << request.failureText;
        }
    }
}
