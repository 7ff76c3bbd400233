#include "tests/support/test_server.h"

#include <thread>
#include <vector>

#include <curl/curl.h>
#include <gtest/gtest.h>

using namespace zorvane::test;
using namespace std::chrono_literals;

namespace {

struct Fetched
{
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::string headers;
};

struct FetchOptions
{
    std::string caFile;
    bool verify = true;
    const char* method = nullptr; // nullptr = GET
    std::string body;
    std::vector<std::string> headers;
    long timeoutMs = 0;
};

std::size_t append(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// A bare libcurl client, so that the server is checked independently of the
// project's own HTTP code.
Fetched fetch(const std::string& url, const FetchOptions& options = {})
{
    Fetched out;
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const std::string& header : options.headers)
        headers = curl_slist_append(headers, header.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &out.headers);
    if (!options.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, options.verify ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, options.verify ? 2L : 0L);
    if (options.method && std::string(options.method) == "HEAD")
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    else if (options.method)
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, options.method);
    if (!options.body.empty())
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, options.body.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    out.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &out.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return out;
}

FetchOptions trustingTestCa()
{
    FetchOptions options;
    options.caFile = TestServer::caFile();
    return options;
}

class TestServerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    static void TearDownTestSuite() { curl_global_cleanup(); }
    TestServer server;
};

} // namespace

TEST_F(TestServerTest, RecordsRequestsAndSendsAnswerOverPlainHttp)
{
    server.setHandler([](const TestRequest& request) {
        return TestResponse{201, "", {{"X-Echo", request.target}, {"set-cookie", "a=1"}}, "made"};
    });
    ASSERT_TRUE(server.start(false));
    EXPECT_EQ(server.baseUrl(), "http://127.0.0.1:" + std::to_string(server.port()));

    FetchOptions put;
    put.method = "PUT";
    put.body = "payload";
    put.headers = {"B-Second: 2", "A-First: 1"};
    Fetched got = fetch(server.url("/p?q=1"), put);
    ASSERT_EQ(got.code, CURLE_OK);
    EXPECT_EQ(got.status, 201);
    EXPECT_EQ(got.body, "made");
    EXPECT_NE(got.headers.find("X-Echo: /p?q=1\r\n"), std::string::npos);
    EXPECT_NE(got.headers.find("set-cookie: a=1\r\n"), std::string::npos);
    EXPECT_NE(got.headers.find("Connection: close\r\n"), std::string::npos);

    std::vector<TestRequest> seen = server.requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "PUT");
    EXPECT_EQ(seen[0].target, "/p?q=1");
    EXPECT_EQ(seen[0].body, "payload");
    EXPECT_EQ(seen[0].header("a-first"), "1");
    EXPECT_EQ(seen[0].headerCount("B-Second"), 1u);
    std::vector<std::string> names = seen[0].headerNames();
    auto second = std::find(names.begin(), names.end(), "B-Second");
    auto first = std::find(names.begin(), names.end(), "A-First");
    ASSERT_NE(second, names.end());
    EXPECT_EQ(first, second + 1);
    EXPECT_FALSE(seen[0].header("X-Absent"));
}

TEST_F(TestServerTest, HeadAndChunkedAnswers)
{
    server.setHandler([](const TestRequest& request) {
        TestResponse response{200, "", {}, std::string(5000, 'z')};
        response.chunked = request.target == "/chunked";
        return response;
    });
    ASSERT_TRUE(server.start(false));
    Fetched chunked = fetch(server.url("/chunked"));
    EXPECT_EQ(chunked.code, CURLE_OK);
    EXPECT_EQ(chunked.body, std::string(5000, 'z'));
    EXPECT_NE(chunked.headers.find("Transfer-Encoding: chunked"), std::string::npos);

    FetchOptions head;
    head.method = "HEAD";
    Fetched headGot = fetch(server.url("/plain"), head);
    EXPECT_EQ(headGot.code, CURLE_OK);
    EXPECT_EQ(headGot.body, "");
    EXPECT_NE(headGot.headers.find("Content-Length: 5000"), std::string::npos);
}

TEST_F(TestServerTest, TrustedCertificateVerifiesWithTheTestCa)
{
    ASSERT_TRUE(server.start(true));
    EXPECT_EQ(server.baseUrl(), "https://127.0.0.1:" + std::to_string(server.port()));
    Fetched got = fetch(server.url("/"), trustingTestCa());
    EXPECT_EQ(got.code, CURLE_OK);
    EXPECT_EQ(got.body, "ok");
    EXPECT_EQ(fetch("https://localhost:" + std::to_string(server.port()) + "/", trustingTestCa()).code,
              CURLE_OK);
    // The system store does not know the test CA.
    EXPECT_EQ(fetch(server.url("/")).code, CURLE_PEER_FAILED_VERIFICATION);
}

TEST_F(TestServerTest, BadCertificatesFailVerificationButServeWithoutIt)
{
    for (CertKind kind : {CertKind::SelfSigned, CertKind::WrongName, CertKind::Expired}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TestServer bad;
        ASSERT_TRUE(bad.start(true, kind));
        EXPECT_EQ(fetch(bad.url("/"), trustingTestCa()).code, CURLE_PEER_FAILED_VERIFICATION);
        FetchOptions noVerify;
        noVerify.verify = false;
        Fetched unverified = fetch(bad.url("/"), noVerify);
        EXPECT_EQ(unverified.code, CURLE_OK);
        EXPECT_EQ(unverified.body, "ok");
    }
}

TEST_F(TestServerTest, MidBodyFaultsBreakTheTransfer)
{
    for (bool tls : {false, true}) {
        for (ResponseFault fault : {ResponseFault::CloseMidBody, ResponseFault::ResetMidBody}) {
            SCOPED_TRACE(std::to_string(tls) + " " + std::to_string(static_cast<int>(fault)));
            TestServer faulty;
            faulty.setHandler([fault](const TestRequest&) {
                TestResponse response{200, "", {}, std::string(100000, 'b')};
                response.fault = fault;
                return response;
            });
            ASSERT_TRUE(faulty.start(tls));
            Fetched got = fetch(faulty.url("/"), trustingTestCa());
            EXPECT_NE(got.code, CURLE_OK);
            EXPECT_LT(got.body.size(), 100000u);
        }
    }
}

TEST_F(TestServerTest, StallMidBodyDeliversTheFirstHalf)
{
    server.setHandler([](const TestRequest&) {
        TestResponse response{200, "", {}, "0123456789"};
        response.fault = ResponseFault::StallMidBody;
        return response;
    });
    ASSERT_TRUE(server.start(true));
    FetchOptions options = trustingTestCa();
    options.timeoutMs = 500;
    Fetched got = fetch(server.url("/"), options);
    EXPECT_EQ(got.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(got.body, "01234");
}

TEST_F(TestServerTest, StopReturnsWhileClientsWaitForStalledAnswers)
{
    server.setHandler([](const TestRequest& request) {
        TestResponse response{200, "", {}, "0123456789"};
        if (request.target == "/stall")
            response.stall = true;
        else if (request.target == "/delay")
            response.delay = 1h;
        else
            response.fault = ResponseFault::StallMidBody;
        return response;
    });
    ASSERT_TRUE(server.start(true));
    std::vector<Fetched> results(3);
    std::vector<std::thread> clients;
    const char* targets[] = {"/stall", "/delay", "/mid"};
    for (std::size_t i = 0; i < 3; ++i) {
        clients.emplace_back([&, i] { results[i] = fetch(server.url(targets[i]), trustingTestCa()); });
    }
    ASSERT_TRUE(server.waitForRequests(3, 60s));
    server.stop();
    for (std::thread& client : clients)
        client.join();
    for (const Fetched& result : results)
        EXPECT_NE(result.code, CURLE_OK);
}

TEST_F(TestServerTest, ServesConcurrentClientsAndCanBeCleared)
{
    server.setHandler([](const TestRequest& request) { return TestResponse{200, "", {}, request.target}; });
    ASSERT_TRUE(server.start(true));
    constexpr std::size_t kClients = 8;
    std::vector<std::string> bodies(kClients);
    std::vector<std::thread> clients;
    for (std::size_t i = 0; i < kClients; ++i) {
        clients.emplace_back(
            [&, i] { bodies[i] = fetch(server.url("/n" + std::to_string(i)), trustingTestCa()).body; });
    }
    for (std::thread& client : clients)
        client.join();
    for (std::size_t i = 0; i < kClients; ++i)
        EXPECT_EQ(bodies[i], "/n" + std::to_string(i));
    EXPECT_EQ(server.requestCount(), kClients);
    server.clearRequests();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_FALSE(server.waitForRequests(1, 10ms));
}
