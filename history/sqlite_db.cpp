#include "history/sqlite_db.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include <sqlite3.h>

namespace zorvane {

bool SqlStatus::ok() const
{
    return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE;
}

bool SqlStatus::corrupt() const
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqlStatus::notDatabase() const
{
    return (code & 0xff) == SQLITE_NOTADB;
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_statement);
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr))
{
}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

void SqlStatement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqlStatement::bind(int index, double value)
{
    sqlite3_bind_double(m_statement, index, value);
}

void SqlStatement::bind(int index, std::string_view text)
{
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqlStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
}

int SqlStatement::step()
{
    return sqlite3_step(m_statement);
}

void SqlStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

std::int64_t SqlStatement::int64At(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqlStatement::doubleAt(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

std::string SqlStatement::textAt(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string();
}

bool SqlStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

SqlDatabase::~SqlDatabase()
{
    close();
}

SqlDatabase::SqlDatabase(SqlDatabase&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

SqlDatabase& SqlDatabase::operator=(SqlDatabase&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

SqlStatus SqlDatabase::open(const std::string& path)
{
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

namespace {

// The file as an SQLite URI: '%', '?' and '#' would end or bend the path.
std::string fileUri(const std::string& path)
{
    std::string uri = path.starts_with('/') ? "file://" : "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri;
}

} // namespace

SqlStatus SqlDatabase::openReadOnly(const std::string& path)
{
    // A reader of a write-ahead-log file makes its -wal and -shm files when
    // they are missing and leaves them behind. They are missing only when no
    // connection has the file open (the last one to close removes them), so
    // the file alone is the whole content then.
    std::error_code ec;
    const bool logged =
        std::filesystem::exists(path + "-wal", ec) || std::filesystem::exists(path + "-shm", ec);
    return openWith(fileUri(path) + (logged ? "?mode=ro" : "?mode=ro&immutable=1"),
                    SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
}

SqlStatus SqlDatabase::openWith(const std::string& name, int flags)
{
    close();
    // A connection is only ever used by one thread (see HistoryStore): no
    // lock around each call, which the recorder makes per goods item.
    const int code = sqlite3_open_v2(name.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        return {};
    }
    SqlStatus failed{code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code)};
    close();
    return failed;
}

void SqlDatabase::close()
{
    // Statements are finalized by their owners first; v2 defers the close
    // should one still be around.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

SqlStatus SqlDatabase::exec(std::string_view sql)
{
    const int code = sqlite3_exec(m_db, std::string(sql).c_str(), nullptr, nullptr, nullptr);
    return status(code);
}

SqlStatement SqlDatabase::prepare(std::string_view sql, SqlStatus* status)
{
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (status)
        *status = this->status(code);
    return SqlStatement(code == SQLITE_OK ? statement : nullptr);
}

SqlStatus SqlDatabase::status(int code) const
{
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
        return SqlStatus{code, {}};
    return SqlStatus{code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code)};
}

SqlStatus SqlDatabase::addTextFunction(const char* name, std::string (*fn)(const std::string&))
{
    using TextFunction = std::string (*)(const std::string&);
    const auto call = [](sqlite3_context* context, int, sqlite3_value** values) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
        const std::string argument =
            text ? std::string(text, static_cast<std::size_t>(sqlite3_value_bytes(values[0])))
                 : std::string();
        const std::string result = (*static_cast<TextFunction*>(sqlite3_user_data(context)))(argument);
        sqlite3_result_text(context, result.data(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
    };
    const auto destroy = [](void* held) { delete static_cast<TextFunction*>(held); };
    // SQLite calls destroy also when the function is refused.
    const int code = sqlite3_create_function_v2(m_db, name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                                new TextFunction(fn), call, nullptr, nullptr, destroy);
    return status(code);
}

std::int64_t SqlDatabase::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqlDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

} // namespace zorvane
