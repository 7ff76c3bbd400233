// Opening the history file: the damaged-file rescue and the schema versions.
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <unistd.h>

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
constexpr const char* kCouponTermsTable = R"(coupon_terms(
  coupon_key TEXT PRIMARY KEY,
  threshold_cents INTEGER NOT NULL,
  discount_cents INTEGER NOT NULL))";

// Version 4: whether the walk is in the file whole. A walk is not until its
// end is written with nothing lost on the way (goods past the recorder's
// bound while the file was held by another program); a walk whose program
// died, or whose writing was given up, stays so. Walks of older files are
// whole once ended: the writer of the time gave up the rest of a walk at its
// first failure, before that walk's end.
constexpr const char* kSchemaV4 = R"(
ALTER TABLE walks ADD COLUMN whole INTEGER NOT NULL DEFAULT 0;
UPDATE walks SET whole = (ended_ms IS NOT NULL);
)";

// What a reader that may not write sees of an older file: the columns and
// tables of the later versions as the migration would have made them, in
// the connection's own temporary schema (which names resolve to first).
SqlStatus showAsCurrent(SqlDatabase& db, int version)
{
    SqlStatus status = db.exec("PRAGMA temp_store = MEMORY");
    if (status.ok() && version < 2)
        status = db.addTextFunction("zorvane_split_tags", [](const std::string& joined) {
            return tagListText(splitJoinedTags(joined));
        });
    if (status.ok() && version < 2)
        status = db.exec("CREATE TEMP VIEW sightings AS SELECT rowid AS rowid, *, "
                         "zorvane_split_tags(tag_text) AS tags FROM main.sightings");
    if (status.ok() && version < 3)
        status = db.exec(std::string("CREATE TEMP TABLE ") + kCouponTermsTable);
    if (status.ok() && version < 4)
        status =
            db.exec("CREATE TEMP VIEW walks AS SELECT *, (ended_ms IS NOT NULL) AS whole FROM main.walks");
    return status;
}

std::string timeSuffix()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Renames from to to unless to exists, atomically: two programs moving damaged
// files aside in the same second must not overwrite each other's.
int renameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a link cannot replace a name either.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    unlink(from.c_str());
    return 0;
}

// The damaged file and its journal go aside together: a journal left behind
// would be replayed into the fresh file. The name is "<path>.bad-<time>",
// then "-2", "-3", ... past names already taken.
std::string moveAside(const std::string& path)
{
    const std::string stem = path + ".bad-" + timeSuffix();
    std::string target = stem;
    int failure = EEXIST;
    for (int n = 2; failure == EEXIST && n < 1000; ++n) {
        failure = renameNoReplace(path, target);
        if (failure == EEXIST)
            target = stem + "-" + std::to_string(n);
    }
    if (failure != 0)
        return "";
    std::error_code ec;
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
        status = db.exec(std::string("CREATE TABLE ") + kCouponTermsTable);
    if (status.ok() && fromVersion < 4)
        status = db.exec(kSchemaV4);
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
    setBusyWait(5000);
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
    return prepareStatements(true);
}

SqlStatus HistoryStore::openForReading(const std::string& path)
{
    m_db.close();
    SqlStatus status = m_db.openReadOnly(path);
    int version = 0;
    if (status.ok())
        status = readUserVersion(m_db, version);
    if (status.ok() && version > kSchemaVersion)
        status = newerFile(version);
    if (status.ok()) {
        // Every version has these tables; a file without them is another
        // program's database (or an empty file).
        SqlStatement select = m_db.prepare("SELECT count(*) FROM main.sqlite_master WHERE type = 'table' "
                                           "AND name IN ('walks', 'sightings')",
                                           &status);
        const int code = select.valid() ? select.step() : SQLITE_ERROR;
        if (status.ok() && code != SQLITE_ROW)
            status = m_db.status(code);
        else if (status.ok() && (version < 1 || select.int64At(0) != 2))
            status = SqlStatus{SQLITE_NOTADB, "not a history file"};
    }
    if (status.ok() && version < kSchemaVersion)
        status = showAsCurrent(m_db, version);
    if (status.ok())
        status = prepareStatements(false);
    if (!status.ok())
        m_db.close();
    return status;
}

} // namespace zorvane
