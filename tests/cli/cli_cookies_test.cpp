// zorvane-cli search --cookies against the fixture shop.
#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"

namespace zorvane::test {
namespace {

TEST(CliCookies, FileCookiesForTheHostGoFirstAndTypedOnesWin)
{
    TempDir dir;
    const std::string txt = dir.file("cookies.txt");
    writeFileBytes(txt, "# Netscape HTTP Cookie File\n"
                        "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tfile\n"
                        "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t4102444800\tkeep\t1\n"
                        "127.0.0.1\tFALSE\t/\tFALSE\t1000\texpired\t1\n"
                        ".jd.com\tTRUE\t/\tFALSE\t0\tother\tx\n");
    const std::string other = dir.file("other.txt");
    writeFileBytes(other, "# Netscape HTTP Cookie File\n.jd.com\tTRUE\t/\tFALSE\t0\tsid\tjd\n");
    const std::string notes = dir.file("notes.txt");
    writeFileBytes(notes, "sid=1\n");
    struct Case
    {
        std::string file;
        std::string typed;
        int status;
        std::string sent; // the first page's Cookie header
        std::string said; // on standard error
    };
    const Case cases[] = {
        {txt, "", 0, "sid=file; keep=1", "已从\"" + txt + "\"导入2个Cookie"},
        {txt, "sid=typed; extra=2", 0, "keep=1; sid=typed; extra=2", "导入2个Cookie"},
        {other, "sid=typed", 0, "sid=typed",
         "zorvane-cli: " + other +
             " has no cookie for the address's host 127.0.0.1; the search goes on without it\n"},
        {notes, "sid=typed", 2, "",
         "zorvane-cli: " + notes +
             " is neither a Netscape cookies.txt nor a Firefox cookies.sqlite; nothing was sent\n"},
        {dir.file("missing"), "", 2, "",
         "zorvane-cli: cannot read the cookie file " + dir.file("missing") + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + c.typed);
        FixtureShopOptions options;
        options.pages = 1;
        FixtureShop shop(options);
        ASSERT_TRUE(shop.start());
        std::vector<std::string> args = {
            "search",          "-i",           "0",         "--cacert", TestServer::caFile(), "--search-host",
            shop.searchHost(), "--no-history", "--cookies", c.file};
        if (!c.typed.empty())
            args.insert(args.end(), {"--cookie", c.typed});
        args.push_back(shop.firstPageUrl());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        const std::vector<TestRequest> requests = shop.requests();
        ASSERT_EQ(requests.size(), c.status == 0 ? 1u : 0u);
        if (!requests.empty()) {
            EXPECT_EQ(requests.front().header("Cookie"), c.sent);
        }
    }
}

} // namespace
} // namespace zorvane::test
