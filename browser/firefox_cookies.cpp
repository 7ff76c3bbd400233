#include "browser/firefox_cookies.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include <sqlite3.h>

namespace zorvane {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMillisecondsFrom = 100'000'000'000;

using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// A private folder that is removed with everything in it.
class TemporaryFolder final
{
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zorvane-cookies-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return Statement(statement, &sqlite3_finalize);
}

bool hasTable(sqlite3* db, const char* name)
{
    Statement query = prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    return query && sqlite3_bind_text(query.get(), 1, name, -1, SQLITE_STATIC) == SQLITE_OK &&
           sqlite3_step(query.get()) == SQLITE_ROW;
}

// The column's bytes in full: a NUL inside a value must reach the check of
// the value, not cut it short.
std::string textAt(sqlite3_stmt* statement, int column)
{
    const unsigned char* text = sqlite3_column_text(statement, column);
    const int length = sqlite3_column_bytes(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length))
                : std::string();
}

std::optional<StoredCookie> cookieFromRow(sqlite3_stmt* row)
{
    StoredCookie cookie;
    cookie.domain = textAt(row, 0);
    cookie.hostOnly = true; // a leading dot makes it a domain cookie
    cookie.path = textAt(row, 1).empty() ? "/" : textAt(row, 1);
    cookie.secure = sqlite3_column_int(row, 2) != 0;
    cookie.expires = sqlite3_column_int64(row, 3);
    if (cookie.expires > kMillisecondsFrom)
        cookie.expires /= 1000;
    cookie.name = textAt(row, 4);
    cookie.value = textAt(row, 5);
    return checkedCookie(std::move(cookie));
}

// The rows of moz_cookies, the default container's only where the table
// knows containers, oldest first; nothing when the table lacks the columns
// Firefox gives it (then it is no Firefox cookie database).
std::optional<std::vector<StoredCookie>> readMozCookies(sqlite3* db)
{
    const char* const columns = "SELECT host, path, isSecure, expiry, name, value FROM moz_cookies";
    Statement query = prepare(
        db, (std::string(columns) + " WHERE originAttributes = '' ORDER BY creationTime, id").c_str());
    if (!query)
        query = prepare(db, (std::string(columns) + " ORDER BY rowid").c_str());
    if (!query)
        return std::nullopt;
    std::vector<StoredCookie> cookies;
    while (sqlite3_step(query.get()) == SQLITE_ROW) {
        if (std::optional<StoredCookie> cookie = cookieFromRow(query.get()))
            cookies.push_back(std::move(*cookie));
    }
    return cookies;
}

// The database and its write-ahead log (where Firefox keeps its latest
// changes) copied into folder; false when the database cannot be.
bool copyDatabase(const std::string& path, const fs::path& copy)
{
    std::error_code error;
    if (!fs::copy_file(path, copy, error))
        return false;
    fs::copy_file(path + "-wal", copy.string() + "-wal", error); // often there is none
    return true;
}

} // namespace

bool isSqliteFile(const std::string& path)
{
    char magic[16] = {};
    std::ifstream in(path, std::ios::binary);
    return in.read(magic, sizeof magic) &&
           std::string_view(magic, sizeof magic) == std::string_view("SQLite format 3\0", 16);
}

CookieFile readSqliteCookies(const std::string& path)
{
    CookieFile file;
    file.path = path;
    TemporaryFolder folder;
    const fs::path copy = folder.path() / "cookies.sqlite";
    sqlite3* handle = nullptr;
    if (folder.path().empty() || !copyDatabase(path, copy)) {
        file.problem = CookieFileProblem::Unreadable;
        return file;
    }
    const int opened = sqlite3_open_v2(copy.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    Database db(handle, &sqlite3_close);
    if (opened != SQLITE_OK)
        file.problem = CookieFileProblem::UnknownFormat;
    else if (hasTable(db.get(), "moz_cookies")) {
        std::optional<std::vector<StoredCookie>> cookies = readMozCookies(db.get());
        if (cookies)
            file.cookies = std::move(*cookies);
        else
            file.problem = CookieFileProblem::UnknownFormat;
    } else if (hasTable(db.get(), "cookies"))
        file.problem = CookieFileProblem::Chromium;
    else
        file.problem = CookieFileProblem::UnknownFormat;
    return file;
}

} // namespace zorvane
