// zorvane-cli's walk through a CONNECT proxy on 127.0.0.1 to the fixture shop.
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/text.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/connect_proxy.h"
#include "tests/support/scoped_environment.h"
#include "web/base64.h"

namespace zorvane::test {
namespace {

constexpr const char* kUser = "zorvane";
constexpr const char* kPassword = "s3cr@t!"; // written %40 in the address

// The log lines of the walk itself (its thread's prefix), time stamps cut.
std::vector<std::string> walkLines(const std::string& err)
{
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(err)) {
        if (line.size() > 9 && startsWith(line.substr(9), "搜索线程："))
            lines.push_back(line.substr(9));
    }
    return lines;
}

enum class Given
{
    Option,      // --proxy
    Setting,     // 代理 in the settings file's [配置]
    Environment, // https_proxy, no_proxy empty
    Bypassed,    // https_proxy, with the shop in no_proxy
};

TEST(CliProxy, WalkGoesThroughTheNamedProxyWithItsCredentials)
{
    struct Case
    {
        Given given;
        std::string password;
        bool reachesShop;
    };
    const Case cases[] = {{Given::Option, "s3cr%40t!", true},
                          {Given::Setting, "s3cr%40t!", true},
                          {Given::Environment, "s3cr%40t!", true},
                          {Given::Bypassed, "s3cr%40t!", true},
                          {Given::Option, "wrong", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.given));
        FixtureShop shop;
        ASSERT_TRUE(shop.start());
        ConnectProxy proxy("Basic " + base64Encode(std::string(kUser) + ":" + kPassword));
        ASSERT_TRUE(proxy.start());
        const std::string origin = "127.0.0.1:" + std::to_string(proxy.port());
        const std::string url = "http://" + std::string(kUser) + ":" + c.password + "@" + origin;
        const bool fromEnvironment = c.given == Given::Environment || c.given == Given::Bypassed;
        ScopedEnvironment environment({{"https_proxy", fromEnvironment ? url.c_str() : ""},
                                       {"HTTPS_PROXY", ""},
                                       {"all_proxy", ""},
                                       {"ALL_PROXY", ""},
                                       {"no_proxy", c.given == Given::Bypassed ? "127.0.0.1" : ""},
                                       {"NO_PROXY", ""}});
        TempDir dir;
        std::vector<std::string> args = {
            "search",          "-i",          "0", "--cacert", TestServer::caFile(), "--search-host",
            shop.searchHost(), "--no-history"};
        if (c.given == Given::Option)
            args.insert(args.end(), {"--proxy", url});
        if (c.given == Given::Setting) {
            writeFileBytes(dir.file("setsoft.ini"), utf8ToGbk("[配置]\r\n代理=" + url + "\r\n"));
            args.insert(args.end(), {"--config", dir.file("setsoft.ini")});
        }
        args.push_back(shop.firstPageUrl());

        CliProcess process(args);
        ASSERT_TRUE(process.started());
        if (!c.reachesShop) {
            while (proxy.connects().empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            process.sendSignal(SIGINT);
        }
        const CliRun run = process.wait();

        const std::vector<std::string> walk = walkLines(run.err);
        ASSERT_FALSE(walk.empty()) << run.err;
        const std::string named = "搜索线程：经代理访问：http://zorvane:***@" + origin;
        if (c.given == Given::Bypassed)
            EXPECT_EQ(walk.front(), "搜索线程：(1页)正在搜索...");
        else
            EXPECT_EQ(walk.front(), named + (fromEnvironment ? "（环境变量https_proxy）" : ""));
        EXPECT_EQ(run.err.find(c.password), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("s3cr"), std::string::npos) << run.err;

        EXPECT_EQ(linesOf(run.out).size(), c.reachesShop ? 6u : 0u) << run.err;
        EXPECT_EQ(shop.requestedPages().size(), c.reachesShop ? 3u : 0u);
        for (const TestRequest& request : shop.requests())
            EXPECT_EQ(request.headerCount("Proxy-Authorization"), 0u);
        const std::vector<ProxiedConnect> connects = proxy.connects();
        if (c.given == Given::Bypassed) {
            EXPECT_TRUE(connects.empty());
            continue;
        }
        ASSERT_FALSE(connects.empty());
        EXPECT_EQ(connects.front().target, shop.searchHost());
        EXPECT_EQ(connects.front().status, c.reachesShop ? 200 : 407);
    }
}

} // namespace
} // namespace zorvane::test
