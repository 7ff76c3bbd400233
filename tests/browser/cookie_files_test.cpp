#include "browser/cookie_files.h"

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

constexpr std::int64_t kNow = 1'700'000'000;

// One cookie as both files hold it.
struct Row
{
    std::string host; // ".jd.com" = the domain and its subdomains
    std::string path;
    bool secure;
    std::int64_t expiry; // seconds in cookies.txt
    bool milliseconds;   // the Firefox row holds expiry * 1000
    std::string name;
    std::string value;
    bool httpOnly;
};

const Row kRows[] = {
    {".jd.com", "/", false, kNow + 3600, false, "sid", "1", false},
    {"search.jd.com", "/", false, kNow + 3600, false, "host", "2", false},
    {".jd.com", "/Search", false, kNow + 3600, false, "deep", "3", false},
    {".jd.com", "/", true, kNow + 3600, false, "sec", "4", false},
    {".jd.com", "/", false, kNow - 1, false, "old", "5", false},
    {".jd.com", "/", false, 1'900'000'000, true, "ms", "6", false},
    {".notjd.com", "/", false, kNow + 3600, false, "x", "7", false},
    {".search.jd.com", "/", false, kNow + 3600, false, "sub", "8", false},
    {".jd.com", "/", false, kNow + 3600, false, "ho", "9", true},
    {".jd.com", "/Sea", false, kNow + 3600, false, "pp", "10", false},
    // Public suffixes: a shop under them must not get these.
    {".com", "/", false, kNow + 3600, false, "tld", "11", false},
    {".COM.cn", "/", false, kNow + 3600, false, "cn", "12", false},
};

std::string cookiesTxt()
{
    std::string text = "# Netscape HTTP Cookie File\n# written by a browser extension\n\n";
    for (const Row& row : kRows) {
        text += (row.httpOnly ? "#HttpOnly_" : "") + row.host + "\t" +
                (row.host[0] == '.' ? "TRUE" : "FALSE") + "\t" + row.path + "\t" +
                (row.secure ? "TRUE" : "FALSE") + "\t" + std::to_string(row.expiry) + "\t" + row.name + "\t" +
                row.value + "\r\n";
    }
    return text;
}

void execute(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
}

using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// A cookies.sqlite as a running Firefox holds it: locked for itself, its
// newest rows still in the write-ahead log while the returned handle lives.
Database openFirefoxDatabase(const std::string& path)
{
    sqlite3* handle = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    Database db(handle, &sqlite3_close);
    execute(db.get(),
            "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; PRAGMA locking_mode = EXCLUSIVE");
    execute(db.get(),
            "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
            "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
            "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, sameSite INTEGER)");
    int created = 0;
    for (const Row& row : kRows) {
        const std::int64_t expiry = row.milliseconds ? row.expiry * 1000 : row.expiry;
        execute(
            db.get(),
            "INSERT INTO moz_cookies (name, value, host, path, expiry, creationTime, isSecure, isHttpOnly) "
            "VALUES ('" +
                row.name + "', '" + row.value + "', '" + row.host + "', '" + row.path + "', " +
                std::to_string(expiry) + ", " + std::to_string(++created) + ", " + (row.secure ? "1" : "0") +
                ", " + (row.httpOnly ? "1" : "0") + ")");
    }
    // A container's cookie of the same name stays in its container.
    execute(
        db.get(),
        "INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry, creationTime, isSecure) "
        "VALUES ('^userContextId=2', 'sid', 'work', '.jd.com', '/', 1900000000, 99, 0)");
    return db;
}

void writeChromiumDatabase(const std::string& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    execute(db, "CREATE TABLE cookies (creation_utc INTEGER, host_key TEXT, name TEXT, value TEXT, "
                "encrypted_value BLOB, path TEXT, expires_utc INTEGER, is_secure INTEGER)");
    execute(db, "INSERT INTO cookies VALUES (1, '.jd.com', 'sid', '', x'763130', '/', 0, 0)");
    sqlite3_close(db);
}

TEST(CookieFiles, BothFormatsGiveWhatTheHostWouldBeSent)
{
    TempDir dir;
    const std::string txt = dir.file("cookies.txt");
    writeFileBytes(txt, cookiesTxt());
    const std::string sqlite = dir.file("cookies.sqlite");
    const Database running = openFirefoxDatabase(sqlite);
    ASSERT_TRUE(std::filesystem::exists(sqlite + "-wal"));
    struct Case
    {
        std::string url;
        std::string sent;
    };
    const Case cases[] = {
        {"https://search.jd.com/Search?keyword=x", "deep=3; sid=1; host=2; sec=4; ms=6; sub=8; ho=9"},
        {"http://search.jd.com/", "sid=1; host=2; ms=6; sub=8; ho=9"},
        {"https://SEARCH.JD.COM/search", "sid=1; host=2; sec=4; ms=6; sub=8; ho=9"},
        {"https://search.jd.com/Search/more", "deep=3; sid=1; host=2; sec=4; ms=6; sub=8; ho=9"},
        {"https://search.jd.com/Sea/x", "pp=10; sid=1; host=2; sec=4; ms=6; sub=8; ho=9"},
        {"https://item.jd.com/100.html", "sid=1; sec=4; ms=6; ho=9"},
        {"https://jd.com/", "sid=1; sec=4; ms=6; ho=9"},
        {"https://a.search.jd.com/", "sid=1; sec=4; ms=6; sub=8; ho=9"},
        {"https://evil-jd.com/", ""},
        {"https://127.0.0.1/", ""},
        {"https://www.jd.com.cn/", ""},
    };
    for (const std::string& path : {txt, sqlite}) {
        const CookieFile file = readCookieFile(path, dir.path().string());
        ASSERT_EQ(file.problem, CookieFileProblem::None) << path;
        for (const Case& c : cases)
            EXPECT_EQ(cookieHeaderFor(file.cookies, c.url, kNow), c.sent) << path << " " << c.url;
    }
}

TEST(CookieFiles, OtherFilesAreRefusedWithTheirReason)
{
    TempDir dir;
    writeChromiumDatabase(dir.file("Cookies"));
    writeFileBytes(dir.file("notes.txt"), "sid=1; pin=abc\nsome text\n");
    writeFileBytes(dir.file("empty.sqlite"), std::string("SQLite format 3\0", 16) + std::string(200, '\x01'));
    // A Firefox profile in the snap's place, named by the install section.
    const std::filesystem::path snap = dir.path() / "snap/firefox/common/.mozilla/firefox";
    std::filesystem::create_directories(snap / "ab12.default-release");
    writeFileBytes(snap / "profiles.ini",
                   "[Profile0]\nName=old\nIsRelative=1\nPath=zz.old\nDefault=1\n\n"
                   "[Install4F96D1932A9F858E]\nDefault=ab12.default-release\nLocked=1\n");
    openFirefoxDatabase((snap / "ab12.default-release/cookies.sqlite").string());
    // Sparse: larger than any cookie file without taking the disk.
    writeFileBytes(dir.file("huge.txt"), "# Netscape HTTP Cookie File\n");
    std::filesystem::resize_file(dir.file("huge.txt"), kMostCookieFileBytes + 1);
    writeFileBytes(dir.file("huge.sqlite"), std::string("SQLite format 3\0", 16));
    std::filesystem::resize_file(dir.file("huge.sqlite"), kMostCookieFileBytes + 1);
    {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(dir.file("other.sqlite").c_str(), &other), SQLITE_OK);
        execute(other, "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, entry TEXT);"
                       "INSERT INTO moz_cookies (entry) VALUES ('sid=1')");
        sqlite3_close(other);
    }
    struct Case
    {
        std::string path;
        std::string home;
        CookieFileProblem problem;
        std::size_t cookies;
    };
    const Case cases[] = {
        {dir.file("Cookies"), "", CookieFileProblem::Chromium, 0},
        {dir.file("notes.txt"), "", CookieFileProblem::UnknownFormat, 0},
        {dir.file("empty.sqlite"), "", CookieFileProblem::UnknownFormat, 0},
        {dir.file("other.sqlite"), "", CookieFileProblem::UnknownFormat, 0},
        {dir.file("missing.txt"), "", CookieFileProblem::Unreadable, 0},
        {dir.file("huge.txt"), "", CookieFileProblem::TooLarge, 0},
        {dir.file("huge.sqlite"), "", CookieFileProblem::TooLarge, 0},
        {"firefox", dir.path().string(), CookieFileProblem::None, std::size(kRows)},
        {"firefox", dir.file("nobody"), CookieFileProblem::NoFirefoxProfile, 0},
    };
    for (const Case& c : cases) {
        const CookieFile file = readCookieFile(c.path, c.home);
        EXPECT_EQ(file.problem, c.problem) << c.path;
        EXPECT_EQ(file.cookies.size(), c.cookies) << c.path;
    }
}

// Bytes that would break the Cookie header, or add a header of their own,
// are refused from either file, as one check does it for both.
TEST(CookieFiles, ValuesThatWouldBreakTheHeaderAreLeftOut)
{
    struct Case
    {
        std::string name;
        std::string value;
        bool inCookiesTxt; // a line of cookies.txt can hold it
    };
    const Case cases[] = {
        {"bad", "a\r\nX-Injected: yes", false},
        {"bad", "a;b=c", true},
        {"bad", "a\x01b", true},
        {"bad", std::string("a\0b", 3), true},
        {"bad", "a\x7f", true},
        {"b;d", "1", true},
        {"b\nd", "1", false},
        {"", "1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name + "=" + c.value));
        TempDir dir;
        const std::string sqlite = dir.file("cookies.sqlite");
        {
            const Database db = openFirefoxDatabase(sqlite);
            sqlite3_stmt* insert = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db.get(),
                                         "INSERT INTO moz_cookies (name, value, host, path, expiry, "
                                         "creationTime, isSecure) VALUES (?, ?, '.jd.com', '/', 0, 0, 0)",
                                         -1, &insert, nullptr),
                      SQLITE_OK);
            sqlite3_bind_text(insert, 1, c.name.data(), static_cast<int>(c.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, c.value.data(), static_cast<int>(c.value.size()), SQLITE_STATIC);
            EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_finalize(insert);
        }
        std::vector<std::string> paths = {sqlite};
        if (c.inCookiesTxt) {
            paths.push_back(dir.file("cookies.txt"));
            writeFileBytes(paths.back(),
                           cookiesTxt() + ".jd.com\tTRUE\t/\tFALSE\t0\t" + c.name + "\t" + c.value + "\n");
        }
        for (const std::string& path : paths) {
            const CookieFile file = readCookieFile(path, dir.path().string());
            ASSERT_EQ(file.problem, CookieFileProblem::None) << path;
            EXPECT_EQ(cookieHeaderFor(file.cookies, "https://search.jd.com/Search?keyword=x", kNow),
                      "deep=3; sid=1; host=2; sec=4; ms=6; sub=8; ho=9")
                << path;
        }
    }
}

} // namespace
} // namespace zorvane::test
