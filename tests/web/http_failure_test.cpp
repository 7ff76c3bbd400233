#include <future>
#include <thread>

#include "tests/web/http_fixture.h"
#include "web/curl_handle.h"

using namespace zorvane;
using namespace zorvane::test;
using namespace std::chrono_literals;

namespace {

TestResponse stallAt(const TestRequest& request)
{
    TestResponse response{200, "", {{"Set-Cookie", "s=1"}}, std::string(1000, 'b')};
    if (request.target == "/stall")
        response.stall = true;
    else if (request.target == "/stall-mid-body")
        response.fault = ResponseFault::StallMidBody;
    else if (request.target == "/close-mid-body")
        response.fault = ResponseFault::CloseMidBody;
    else if (request.target == "/reset-mid-body")
        response.fault = ResponseFault::ResetMidBody;
    else if (request.target == "/chunked")
        response.chunked = true;
    return response;
}

// The outcome that every failed exchange must leave: no cookies came back,
// so a given cookie merges with nothing and is what returnedCookie holds.
void expectFailed(const HttpRequest& request, const std::string& body)
{
    EXPECT_EQ(body, "");
    EXPECT_EQ(request.statusCode, 0);
    EXPECT_EQ(request.returnedHeaders, "");
    EXPECT_EQ(request.returnedCookie, request.cookie.value_or(""));
}

} // namespace

using HttpRequestFailing = HttpFixture;

TEST_F(HttpRequestFailing, StalledServerTimesOut)
{
    serve(stallAt);
    for (const char* target : {"/stall", "/stall-mid-body"}) {
        SCOPED_TRACE(target);
        HttpRequest request = requestTo(target);
        request.timeoutSeconds = 1;
        request.cookie = " a = 1 ";
        auto call = std::async(std::launch::async, [&] { return httpRequest(request); });
        // A request without its time-out would wait until the server stops.
        if (call.wait_for(60s) != std::future_status::ready) {
            server.stop();
            FAIL() << "the time-out did not end the exchange";
        }
        expectFailed(request, call.get());
        EXPECT_EQ(request.failure, HttpFailure::TimedOut);
        // The merge still runs on a failure and cleans the cookie.
        EXPECT_EQ(*request.cookie, "a=1");
    }
}

TEST_F(HttpRequestFailing, BrokenBodyFailsEvenAfterAGoodStatusLine)
{
    serve(stallAt);
    for (const char* target : {"/close-mid-body", "/reset-mid-body"}) {
        SCOPED_TRACE(target);
        HttpRequest request = requestTo(target);
        expectFailed(request, httpRequest(request));
        EXPECT_EQ(request.failure, HttpFailure::ConnectionLost);
    }
}

TEST_F(HttpRequestFailing, RefusedConnection)
{
    TestServer gone;
    ASSERT_TRUE(gone.start(false));
    const std::string url = gone.url("/");
    gone.stop();
    HttpRequest request;
    request.url = url;
    request.statusCode = 99;
    request.returnedHeaders = "old";
    request.returnedCookie = "old=1";
    expectFailed(request, httpRequest(request));
    EXPECT_EQ(request.failure, HttpFailure::Refused);
}

TEST_F(HttpRequestFailing, UnknownCaRefusesTheServerBeforeAnyRequest)
{
    serve(stallAt);
    HttpRequest request = requestTo("/");
    request.caFile.clear(); // the system store does not know the test CA
    request.cookie = "login=secret";
    expectFailed(request, httpRequest(request));
    EXPECT_EQ(request.failure, HttpFailure::BadCertificate);
    EXPECT_EQ(server.requestCount(), 0u);

    request.caFile = TestServer::caFile();
    EXPECT_EQ(httpRequest(request).size(), 1000u);
    EXPECT_EQ(request.statusCode, 200);
}

TEST_F(HttpRequestFailing, BadCertificatesFailUnlessIgnored)
{
    for (CertKind kind : {CertKind::SelfSigned, CertKind::WrongName, CertKind::Expired}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TestServer bad;
        bad.setHandler(stallAt);
        ASSERT_TRUE(bad.start(true, kind));
        HttpRequest request;
        request.url = bad.url("/");
        request.caFile = TestServer::caFile();
        request.cookie = "login=secret";
        expectFailed(request, httpRequest(request));
        EXPECT_EQ(bad.requestCount(), 0u);

        request.ignoreCertErrors = true;
        EXPECT_EQ(httpRequest(request).size(), 1000u);
        EXPECT_EQ(request.statusCode, 200);
        ASSERT_EQ(bad.requestCount(), 1u);
        EXPECT_EQ(bad.requests()[0].header("Cookie"), "login=secret");
    }
}

TEST_F(HttpRequestFailing, LocalhostNameMatchesTheCertificate)
{
    serve(stallAt);
    HttpRequest request;
    request.url = "https://localhost:" + std::to_string(server.port()) + "/";
    request.caFile = TestServer::caFile();
    EXPECT_EQ(httpRequest(request).size(), 1000u);
}

TEST_F(HttpRequestFailing, BodyOverTheLimitFails)
{
    serve(stallAt);
    for (const char* target : {"/", "/chunked"}) {
        SCOPED_TRACE(target);
        HttpRequest request = requestTo(target);
        request.maxBodyBytes = 999;
        expectFailed(request, httpRequest(request));

        request.maxBodyBytes = 1000;
        EXPECT_EQ(httpRequest(request).size(), 1000u);
        EXPECT_EQ(request.statusCode, 200);
    }
}

TEST_F(HttpRequestFailing, EveryTimeOutSettingLetsANormalExchangeThrough)
{
    serve(stallAt);
    for (int seconds : {-1, 0, -5, 1, 180}) {
        HttpRequest request = requestTo("/");
        request.timeoutSeconds = seconds;
        EXPECT_EQ(httpRequest(request).size(), 1000u) << seconds;
    }
}

TEST_F(HttpRequestFailing, ReusedHandleCarriesNothingOver)
{
    serve(stallAt);
    CurlHandle handle;
    ASSERT_TRUE(handle.valid());
    HttpRequest first = requestTo("/");
    first.requestObject = &handle;
    first.cookie = "a=1";
    first.extraHeaders = "X-One: 1";
    first.method = 1;
    first.bodyText = "body";
    EXPECT_EQ(httpRequest(first).size(), 1000u);

    HttpRequest failing = requestTo("/close-mid-body");
    failing.requestObject = &handle;
    expectFailed(failing, httpRequest(failing));

    HttpRequest second = requestTo("/");
    second.requestObject = &handle;
    EXPECT_EQ(httpRequest(second).size(), 1000u);
    std::vector<TestRequest> all = server.requests();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].method, "GET");
    EXPECT_EQ(all[2].body, "");
    EXPECT_EQ(namesWeSent(all[2]), kDefaultNames);
}

TEST_F(HttpRequestFailing, UnusableHandleWritesNothingBack)
{
    serve(stallAt);
    CurlHandle handle;
    CurlHandle taken(std::move(handle));
    EXPECT_FALSE(handle.valid());
    HttpRequest request = requestTo("/");
    request.requestObject = &handle;
    request.cookie = " a = 1 ";
    request.extraHeaders = "X: 1";
    request.statusCode = 77;
    request.returnedHeaders = "untouched";
    EXPECT_EQ(httpRequest(request), "");
    EXPECT_EQ(*request.cookie, " a = 1 ");
    EXPECT_EQ(request.extraHeaders, "X: 1");
    EXPECT_EQ(request.statusCode, 77);
    EXPECT_EQ(request.returnedHeaders, "untouched");
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(HttpRequestFailing, ConcurrentCallsStayApart)
{
    serve([](const TestRequest& request) {
        return TestResponse{
            200, "", {{"Set-Cookie", "echo=" + request.header("Cookie").value_or("")}}, request.target};
    });
    constexpr std::size_t kThreads = 4;
    constexpr int kEach = 5;
    std::vector<std::thread> threads;
    std::vector<int> mismatches(kThreads, 0);
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                HttpRequest request = requestTo("/t" + std::to_string(t) + "/" + std::to_string(i));
                request.cookie = "id=" + std::to_string(t);
                std::string body = httpRequest(request);
                if (body != "/t" + std::to_string(t) + "/" + std::to_string(i) ||
                    request.returnedCookie != "echo=id=" + std::to_string(t) + "; id=" + std::to_string(t))
                    ++mismatches[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
    EXPECT_EQ(server.requestCount(), static_cast<std::size_t>(kThreads * kEach));
}

// What the log says after "原因：" for each way an exchange can fail,
// including those the tests above cannot bring about on a machine without
// a name server (an unknown host).
TEST(FailureCause, EachTransportFailureHasItsWords)
{
    const struct
    {
        CURLcode code;
        HttpFailure failure;
        const char* cause; // nullptr: libcurl's own text
    } rows[] = {
        {CURLE_COULDNT_CONNECT, HttpFailure::Refused, "连接被拒绝"},
        {CURLE_PEER_FAILED_VERIFICATION, HttpFailure::BadCertificate,
         "证书无效：SSL peer certificate or "
         "SSH remote key was not OK"},
        {CURLE_OPERATION_TIMEDOUT, HttpFailure::TimedOut, "超时"},
        {CURLE_COULDNT_RESOLVE_HOST, HttpFailure::UnknownHost, "无法解析主机名"},
        {CURLE_RECV_ERROR, HttpFailure::ConnectionLost, "连接中断"},
        {CURLE_SEND_ERROR, HttpFailure::ConnectionLost, "连接中断"},
        {CURLE_GOT_NOTHING, HttpFailure::ConnectionLost, "连接中断"},
        {CURLE_PARTIAL_FILE, HttpFailure::ConnectionLost, "连接中断"},
        {CURLE_SSL_CACERT_BADFILE, HttpFailure::Other, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(curl_easy_strerror(row.code));
        EXPECT_EQ(classifyCurlFailure(row.code), row.failure);
        const std::string text = curl_easy_strerror(row.code);
        EXPECT_EQ(failureCause(row.failure, text), row.cause ? row.cause : text);
    }
}
