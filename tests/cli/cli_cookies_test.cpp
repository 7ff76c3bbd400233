// zorvane-cli search --cookies against the fixture shop.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/env_var.h"

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

// A cookies.sqlite of many cookies, large enough that its import takes a while.
void writeLargeCookieDatabase(const std::string& path)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    const char* sql =
        "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
        "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, creationTime INTEGER, "
        "isSecure INTEGER);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000) "
        "INSERT INTO moz_cookies (name, value, host, path, expiry, creationTime, isSecure) "
        "SELECT 'c' || i, hex(randomblob(40)), '.other' || i || '.example', '/', 0, i, 0 FROM n;";
    ASSERT_EQ(sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr), SQLITE_OK);
}

// However early SIGTERM comes, no copy of the browser's cookies stays in
// the temporary folder: the import is never cut short.
TEST(CliCookies, ASignalDuringTheImportLeavesNoCopyOfTheCookies)
{
    TempDir dir;
    const std::string database = dir.file("cookies.sqlite");
    writeLargeCookieDatabase(database);
    const std::string temporary = dir.file("tmp");
    std::filesystem::create_directory(temporary);
    FixtureShopOptions options;
    options.pages = 1;
    FixtureShop shop(options);
    ASSERT_TRUE(shop.start());
    const EnvVar inherited("TMPDIR", std::nullopt); // the child's alone is the one below
    for (int delayMs : {10, 30, 60, 100, 200, 400}) {
        SCOPED_TRACE(delayMs);
        CliProcess process({"search", "-i", "0", "--cacert", TestServer::caFile(), "--no-history",
                            "--cookies", database, shop.firstPageUrl()},
                           "/dev/null", false, {"LC_ALL=C.UTF-8", "TMPDIR=" + temporary});
        ASSERT_TRUE(process.started());
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        process.sendSignal(SIGTERM);
        const CliRun run = process.wait();
        EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "status " << run.status << ": " << run.err;
        std::filesystem::remove_all(temporary);
        std::filesystem::create_directory(temporary);
    }
}

} // namespace
} // namespace zorvane::test
