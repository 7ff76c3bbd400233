// Opening the history file: the damaged-file rescue and the schema versions.
#include "history/history_store.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include <sqlite3.h>

namespace zorvane {

namespace {

// Version 1: walks and the goods each walk saw. The indexes serve the lookup
// of a coupon's walks, a walk's goods and a goods item's earlier sightings.
constexpr const char* kSchemaV1 = R"(
CREATE TABLE walks(
  id INTEGER PRIMARY KEY,
  address TEXT NOT NULL,
  coupon_key TEXT NOT NULL,
  started_ms INTEGER NOT NULL,
  ended_ms INTEGER,
  pages INTEGER NOT NULL DEFAULT 0,
  end_reason TEXT);
CREATE INDEX walks_by_coupon ON walks(coupon_key, id);
CREATE TABLE sightings(
  walk_id INTEGER NOT NULL,
  page INTEGER NOT NULL,
  position INTEGER NOT NULL,
  goods_id TEXT NOT NULL,
  name TEXT NOT NULL,
  price REAL NOT NULL,
  tag_text TEXT NOT NULL);
CREATE INDEX sightings_by_walk ON sightings(walk_id);
CREATE INDEX sightings_by_goods ON sightings(goods_id, walk_id);
)";

// Version 2: each coupon's 满 and 减 as last used for its baskets, in cents.
constexpr const char* kSchemaV2 = R"(
CREATE TABLE coupon_terms(
  coupon_key TEXT PRIMARY KEY,
  threshold_cents INTEGER NOT NULL,
  discount_cents INTEGER NOT NULL);
)";

std::string timeSuffix()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// The damaged file and its journal go aside together: a journal left behind
// would be replayed into the fresh file.
std::string moveAside(const std::string& path)
{
    const std::string target = path + ".bad-" + timeSuffix();
    std::error_code ec;
    std::filesystem::rename(path, target, ec);
    if (ec)
        return "";
    std::filesystem::rename(path + "-wal", target + "-wal", ec);
    std::filesystem::remove(path + "-shm", ec);
    return target;
}

SqlStatus readUserVersion(SqlDatabase& db, int& version)
{
    SqlStatus status;
    SqlStatement statement = db.prepare("PRAGMA user_version", &status);
    if (!statement.valid())
        return status;
    const int code = statement.step();
    if (code != SQLITE_ROW)
        return db.status(code);
    version = static_cast<int>(statement.int64At(0));
    return {};
}

SqlStatus newerFile(int version)
{
    return SqlStatus{SQLITE_ERROR, "the file was written by a newer program (schema version " +
                                       std::to_string(version) + ")"};
}

} // namespace

SqlStatus migrateHistory(SqlDatabase& db, int fromVersion)
{
    if (fromVersion > HistoryStore::kSchemaVersion)
        return newerFile(fromVersion);
    if (fromVersion == HistoryStore::kSchemaVersion)
        return {};
    if (SqlStatus status = db.exec("BEGIN IMMEDIATE"); !status.ok())
        return status;
    // Another program may have brought the file up to date since it was read.
    SqlStatus status = readUserVersion(db, fromVersion);
    if (status.ok() && fromVersion > HistoryStore::kSchemaVersion)
        status = newerFile(fromVersion);
    if (status.ok() && fromVersion < 1)
        status = db.exec(kSchemaV1);
    if (status.ok() && fromVersion < 2)
        status = db.exec(kSchemaV2);
    // Later versions add their steps here, each from the one before.
    if (status.ok() && fromVersion < HistoryStore::kSchemaVersion)
        status = db.exec("PRAGMA user_version = " + std::to_string(HistoryStore::kSchemaVersion));
    if (status.ok())
        status = db.exec("COMMIT");
    if (!status.ok())
        db.exec("ROLLBACK");
    return status;
}

HistoryStore::OpenOutcome HistoryStore::open(const std::string& path)
{
    OpenOutcome outcome;
    outcome.status = openFile(path);
    if (outcome.status.corrupt()) {
        m_db.close();
        outcome.movedAside = moveAside(path);
        if (outcome.movedAside.empty())
            return outcome;
        outcome.status = openFile(path);
    }
    if (!outcome.status.ok())
        m_db.close();
    return outcome;
}

SqlStatus HistoryStore::openFile(const std::string& path)
{
    if (SqlStatus status = m_db.open(path); !status.ok())
        return status;
    // The window and the command line may write at once; each waits its turn.
    m_db.exec("PRAGMA busy_timeout = 5000");
    // The first statements that read the file: a damaged one shows here.
    if (SqlStatus status = m_db.exec("PRAGMA journal_mode = WAL"); !status.ok())
        return status;
    // In WAL mode a commit survives the program's death without a sync per page.
    if (SqlStatus status = m_db.exec("PRAGMA synchronous = NORMAL"); !status.ok())
        return status;
    // A walk's end costs no sync either; the log is copied over as it grows.
    m_db.skipCheckpointOnClose();
    int version = 0;
    if (SqlStatus status = readUserVersion(m_db, version); !status.ok())
        return status;
    if (SqlStatus status = migrateHistory(m_db, version); !status.ok())
        return status;
    return prepareWrites();
}

} // namespace zorvane
