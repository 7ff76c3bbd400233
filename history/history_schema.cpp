// Opening the history file: the damaged-file rescue and the schema versions.
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "history/history_store.h"
#include "history/tag_list.h"

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

// Version 2: each sighting's tags as a list (see tag_list.h): tag_text joins
// them with ",", which a tag may hold itself. tag_text stays, as the text
// the goods list and the export show.
constexpr const char* kSchemaV2 = "ALTER TABLE sightings ADD COLUMN tags TEXT NOT NULL DEFAULT '[]'";

// Rows of a version 1 file get their lists from their joined text, split
// the way the walk joined it. Taken in slices of rowids, so that no read is
// open on the rows being changed and a big file needs little memory.
SqlStatus splitStoredTags(SqlDatabase& db)
{
    SqlStatus status;
    SqlStatement select = db.prepare("SELECT rowid, tag_text FROM sightings WHERE rowid > ?1 AND "
                                     "tag_text <> '' ORDER BY rowid LIMIT 10000",
                                     &status);
    SqlStatement update = select.valid()
                              ? db.prepare("UPDATE sightings SET tags = ?2 WHERE rowid = ?1", &status)
                              : SqlStatement();
    std::vector<std::pair<std::int64_t, std::string>> slice;
    for (std::int64_t last = 0; status.ok(); last = slice.back().first) {
        slice.clear();
        select.reset();
        select.bind(1, last);
        int code = SQLITE_ROW;
        while ((code = select.step()) == SQLITE_ROW)
            slice.emplace_back(select.int64At(0), tagListText(splitJoinedTags(select.textAt(1))));
        status = db.status(code);
        if (slice.empty())
            break;
        for (std::size_t i = 0; i < slice.size() && status.ok(); ++i) {
            update.reset();
            update.bind(1, slice[i].first);
            update.bind(2, slice[i].second);
            status = db.status(update.step());
        }
    }
    return status;
}

// Version 3: each coupon's 满 and 减 as last used for its baskets, in cents.
constexpr const char* kSchemaV3 = R"(
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
    if (status.ok() && fromVersion == 1)
        status = splitStoredTags(db);
    if (status.ok() && fromVersion < 3)
        status = db.exec(kSchemaV3);
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
    // The last connection to close copies the log into the file and removes
    // it, so that goods.sqlite alone is the whole history once nobody has it open.
    int version = 0;
    if (SqlStatus status = readUserVersion(m_db, version); !status.ok())
        return status;
    if (SqlStatus status = migrateHistory(m_db, version); !status.ok())
        return status;
    return prepareWrites();
}

} // namespace zorvane
