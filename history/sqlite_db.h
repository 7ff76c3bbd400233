#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zorvane {

// The outcome of one SQLite call: its primary result code and, when it
// failed, SQLite's words for why.
struct SqlStatus
{
    int code = 0; // SQLITE_OK, SQLITE_ROW, SQLITE_DONE or an error code
    std::string message;

    bool ok() const;
    // The file is no database or a damaged one.
    bool corrupt() const;
    // The file is no database (or not one of ours: see HistoryStore).
    bool notDatabase() const;
};

// A prepared statement; move-only, finalized when it goes away. Parameters are
// numbered from 1, columns from 0.
class SqlStatement final
{
public:
    SqlStatement() = default;
    explicit SqlStatement(sqlite3_stmt* statement) : m_statement(statement) {}
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool valid() const { return m_statement != nullptr; }

    void bind(int index, std::int64_t value);
    void bind(int index, double value);
    void bind(int index, std::string_view text);
    void bindNull(int index);

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else an error code.
    int step();
    // Ready for the next step() with fresh bindings.
    void reset();

    std::int64_t int64At(int column) const;
    double doubleAt(int column) const;
    std::string textAt(int column) const;
    bool isNull(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
};

// An open database connection; move-only, closed when it goes away.
class SqlDatabase final
{
public:
    SqlDatabase() = default;
    ~SqlDatabase();
    SqlDatabase(SqlDatabase&& other) noexcept;
    SqlDatabase& operator=(SqlDatabase&& other) noexcept;
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    // Opens (and creates when missing) the file for reading and writing.
    SqlStatus open(const std::string& path);
    // Opens an existing file for reading only: nothing is created, not even
    // the write-ahead log's files when the file has none (it is then read as
    // it stands, no writer being at work on it).
    SqlStatus openReadOnly(const std::string& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Runs one or more statements that return no rows.
    SqlStatus exec(std::string_view sql);
    // A prepared statement, or an invalid one with the reason in status.
    SqlStatement prepare(std::string_view sql, SqlStatus* status = nullptr);
    // The status of the last call on this connection with the given code.
    SqlStatus status(int code) const;

    // Makes fn(text) callable in SQL as name(text) on this connection.
    SqlStatus addTextFunction(const char* name, std::string (*fn)(const std::string&));

    std::int64_t lastInsertId() const;
    int changes() const;

private:
    SqlStatus openWith(const std::string& name, int flags);

    sqlite3* m_db = nullptr;
};

} // namespace zorvane
