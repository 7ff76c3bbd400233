#include "browser/firefox_cookies.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include "base/file_descriptor.h"
#include "base/file_read.h"
#include "browser/cookie_files.h"

namespace zorvane {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMillisecondsFrom = 100'000'000'000;

using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// A private folder (0700) that is removed with everything in it.
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

// Copies the file into a new file only its owner may read; false when it
// cannot be (a missing source included).
bool copyPrivately(const std::string& from, const fs::path& to)
{
    std::string bytes;
    if (readWholeFile(from, bytes, kMostCookieFileBytes) != ReadOutcome::Read)
        return false;
    FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    return out.valid() && writeAll(out.get(), bytes) && out.close();
}

// The database as an in-memory one. The browser keeps its file locked, so it
// is read from a private copy (with the write-ahead log, where Firefox keeps
// its latest changes) in a private folder, which is removed as soon as its
// pages are in memory: no copy of the user's cookies outlives the read.
// Nothing when no copy could be made.
std::optional<Database> loadIntoMemory(const std::string& path, bool& readable)
{
    readable = false;
    TemporaryFolder folder;
    const fs::path copy = folder.path() / "cookies.sqlite";
    if (folder.path().empty() || !copyPrivately(path, copy))
        return std::nullopt;
    readable = true;
    copyPrivately(path + "-wal", copy.string() + "-wal"); // often there is none
    sqlite3* rawFile = nullptr;
    sqlite3* rawMemory = nullptr;
    const int opened = sqlite3_open_v2(copy.c_str(), &rawFile, SQLITE_OPEN_READWRITE, nullptr);
    const Database onDisk(rawFile, &sqlite3_close);
    sqlite3_open_v2(":memory:", &rawMemory, SQLITE_OPEN_READWRITE, nullptr);
    Database memory(rawMemory, &sqlite3_close);
    if (opened != SQLITE_OK || !memory)
        return std::nullopt;
    sqlite3_backup* backup = sqlite3_backup_init(memory.get(), "main", onDisk.get(), "main");
    const bool loaded = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(backup);
    if (!loaded)
        return std::nullopt;
    return memory;
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
    bool readable = false;
    const std::optional<Database> db = loadIntoMemory(path, readable);
    if (!readable)
        file.problem = CookieFileProblem::Unreadable;
    else if (!db)
        file.problem = CookieFileProblem::UnknownFormat;
    else if (hasTable(db->get(), "moz_cookies")) {
        std::optional<std::vector<StoredCookie>> cookies = readMozCookies(db->get());
        if (cookies)
            file.cookies = std::move(*cookies);
        else
            file.problem = CookieFileProblem::UnknownFormat;
    } else if (hasTable(db->get(), "cookies"))
        file.problem = CookieFileProblem::Chromium;
    else
        file.problem = CookieFileProblem::UnknownFormat;
    return file;
}

} // namespace zorvane
