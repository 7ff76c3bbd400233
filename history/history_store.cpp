#include "history/history_store.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include "history/coupon_key.h"
#include "history/tag_list.h"

namespace zorvane {

namespace {

constexpr const char* kWalkColumns =
    "w.id, w.address, w.coupon_key, w.started_ms, w.ended_ms, w.pages, w.end_reason, "
    "(SELECT count(*) FROM sightings s WHERE s.walk_id = w.id), w.whole";

// A walk's price of a goods item is the lowest it was seen at in that walk:
// the shop repeats goods across pages, sometimes at another price, and a
// comparison per sighting would report a move between two identical walks.

// The lowest price of the goods item goodsExpr in the last whole walk of
// coupon ?2 before walk ?1 that saw it: a walk with goods left out may lack
// the item's lower price on a later page. A coupon's earlier walks are few; the goods
// index leads to the item's sightings, newest walk first.
std::string lastPriceSql(const std::string& goodsExpr)
{
    return "(SELECT min(p.price) FROM sightings p WHERE p.goods_id = " + goodsExpr +
           " AND p.walk_id = (SELECT q.walk_id FROM sightings q WHERE q.goods_id = " + goodsExpr +
           " AND q.walk_id < ?1 AND q.walk_id IN (SELECT id FROM walks WHERE coupon_key = ?2 AND whole)"
           " ORDER BY q.walk_id DESC LIMIT 1))";
}

WalkSummary walkAt(const SqlStatement& row)
{
    WalkSummary walk;
    walk.id = row.int64At(0);
    walk.address = row.textAt(1);
    walk.couponKey = row.textAt(2);
    walk.startedMs = row.int64At(3);
    if (!row.isNull(4))
        walk.endedMs = row.int64At(4);
    walk.pages = static_cast<int>(row.int64At(5));
    walk.endReason = row.textAt(6);
    walk.goodsCount = row.int64At(7);
    walk.whole = row.int64At(8) != 0;
    return walk;
}

// The columns a Sighting is read from, in sightingAt's order.
constexpr const char* kSightingColumns =
    "s.page, s.position, s.goods_id, s.name, s.price, s.tag_text, s.tags";

Sighting sightingAt(const SqlStatement& row)
{
    return Sighting{static_cast<int>(row.int64At(0)),
                    static_cast<int>(row.int64At(1)),
                    row.textAt(2),
                    row.textAt(3),
                    row.doubleAt(4),
                    row.textAt(5),
                    tagListFrom(row.textAt(6))};
}

// Runs a statement to its end, one callback per row.
template <typename OnRow> SqlStatus eachRow(SqlDatabase& db, SqlStatement& statement, OnRow onRow)
{
    int code = SQLITE_ROW;
    while ((code = statement.step()) == SQLITE_ROW)
        onRow(statement);
    return db.status(code);
}

// Runs a statement that returns no rows.
SqlStatus runOnce(SqlDatabase& db, SqlStatement& statement)
{
    return db.status(statement.step());
}

// Prepares, binds the arguments in order and runs a statement that returns
// no rows.
template <typename... Args> SqlStatus runSql(SqlDatabase& db, std::string_view sql, const Args&... args)
{
    SqlStatus status;
    SqlStatement statement = db.prepare(sql, &status);
    if (!statement.valid())
        return status;
    int index = 0;
    (statement.bind(++index, args), ...);
    return runOnce(db, statement);
}

} // namespace

SqlStatus HistoryStore::prepareStatements(bool writable)
{
    SqlStatus status;
    if (writable)
        m_insertSighting = m_db.prepare("INSERT INTO sightings(walk_id, page, position, goods_id, name, "
                                        "price, tag_text, tags) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                                        &status);
    // The ids come as one JSON array: a page's worth in a single statement.
    if (status.ok())
        m_earlierPrices =
            m_db.prepare("SELECT j.value, " + lastPriceSql("j.value") + " FROM json_each(?3) j", &status);
    return status;
}

SqlStatus HistoryStore::setBusyWait(int milliseconds)
{
    return m_db.exec("PRAGMA busy_timeout = " + std::to_string(milliseconds));
}

SqlStatus HistoryStore::beginTransaction()
{
    return m_db.exec("BEGIN IMMEDIATE");
}

SqlStatus HistoryStore::commit()
{
    return m_db.exec("COMMIT");
}

void HistoryStore::rollback()
{
    m_db.exec("ROLLBACK");
}

SqlStatus HistoryStore::beginWalk(const std::string& address, std::int64_t startedMs, std::int64_t& walkId)
{
    const SqlStatus status =
        runSql(m_db, "INSERT INTO walks(address, coupon_key, started_ms) VALUES(?1, ?2, ?3)", address,
               couponKey(address), startedMs);
    walkId = m_db.lastInsertId();
    return status;
}

SqlStatus HistoryStore::addSighting(std::int64_t walkId, const Sighting& sighting)
{
    SqlStatement& insert = m_insertSighting;
    insert.reset();
    insert.bind(1, walkId);
    insert.bind(2, std::int64_t{sighting.page});
    insert.bind(3, std::int64_t{sighting.position});
    insert.bind(4, sighting.goodsId);
    insert.bind(5, sighting.name);
    insert.bind(6, sighting.price);
    insert.bind(7, sighting.tagText);
    insert.bind(8, tagListText(sighting.tags));
    return runOnce(m_db, insert);
}

SqlStatus HistoryStore::setPages(std::int64_t walkId, int pages)
{
    return runSql(m_db, "UPDATE walks SET pages = ?2 WHERE id = ?1", walkId, std::int64_t{pages});
}

SqlStatus HistoryStore::endWalk(std::int64_t walkId, std::int64_t endedMs, const std::string& reason,
                                bool whole)
{
    return runSql(m_db, "UPDATE walks SET ended_ms = ?2, end_reason = ?3, whole = ?4 WHERE id = ?1", walkId,
                  endedMs, reason, std::int64_t{whole});
}

bool HistoryStore::walkWhole(std::int64_t walkId)
{
    SqlStatement select = m_db.prepare("SELECT whole FROM walks WHERE id = ?1");
    if (!select.valid())
        return false;
    select.bind(1, walkId);
    return select.step() == SQLITE_ROW && select.int64At(0) != 0;
}

SqlStatus HistoryStore::checkpoint()
{
    return m_db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

SqlRows<WalkSummary> HistoryStore::listWalks()
{
    SqlRows<WalkSummary> result;
    SqlStatement select =
        m_db.prepare(std::string("SELECT ") + kWalkColumns + " FROM walks w ORDER BY w.id", &result.status);
    if (select.valid())
        result.status =
            eachRow(m_db, select, [&](const SqlStatement& row) { result.rows.push_back(walkAt(row)); });
    return result;
}

SqlStatus HistoryStore::deleteWalk(std::int64_t walkId)
{
    if (SqlStatus status = beginTransaction(); !status.ok())
        return status;
    SqlStatus status = runSql(m_db, "DELETE FROM sightings WHERE walk_id = ?1", walkId);
    if (status.ok())
        status = runSql(m_db, "DELETE FROM walks WHERE id = ?1", walkId);
    if (status.ok())
        return commit();
    rollback();
    return status;
}

SqlRows<Sighting> HistoryStore::walkGoods(std::int64_t walkId)
{
    SqlRows<Sighting> result;
    SqlStatement select = m_db.prepare(std::string("SELECT ") + kSightingColumns +
                                           " FROM sightings s WHERE s.walk_id = ?1 ORDER BY s.rowid",
                                       &result.status);
    if (!select.valid())
        return result;
    select.bind(1, walkId);
    result.status =
        eachRow(m_db, select, [&](const SqlStatement& row) { result.rows.push_back(sightingAt(row)); });
    return result;
}

std::optional<WalkSummary> HistoryStore::lastWalk(const std::string& couponKey)
{
    return lastWalkWhere(couponKey, "");
}

std::optional<WalkSummary> HistoryStore::lastWholeWalkWithGoods(const std::string& couponKey)
{
    return lastWalkWhere(couponKey,
                         " AND w.whole AND EXISTS(SELECT 1 FROM sightings s WHERE s.walk_id = w.id)");
}

std::optional<WalkSummary> HistoryStore::lastWalkWhere(const std::string& couponKey, const char* condition)
{
    SqlStatement select =
        m_db.prepare(std::string("SELECT ") + kWalkColumns + " FROM walks w WHERE w.coupon_key = ?1" +
                     condition + " ORDER BY w.id DESC LIMIT 1");
    if (!select.valid())
        return std::nullopt;
    select.bind(1, couponKey);
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return walkAt(select);
}

std::int64_t HistoryStore::nextWalkId()
{
    SqlStatement select = m_db.prepare("SELECT coalesce(max(id), 0) + 1 FROM walks");
    return select.valid() && select.step() == SQLITE_ROW ? select.int64At(0) : 0;
}

SqlRows<SightingChange> HistoryStore::changes(std::int64_t walkId, const std::string& couponKey)
{
    SqlRows<SightingChange> result;
    SqlStatement select =
        m_db.prepare(std::string("SELECT ") + kSightingColumns + ", " + lastPriceSql("s.goods_id") +
                         " FROM sightings s WHERE s.walk_id = ?1 ORDER BY s.rowid",
                     &result.status);
    if (!select.valid())
        return result;
    select.bind(1, walkId);
    select.bind(2, couponKey);
    std::unordered_map<std::string, double> lowest;
    result.status = eachRow(m_db, select, [&](const SqlStatement& row) {
        SightingChange item{sightingAt(row), 0, std::nullopt, {}};
        if (!row.isNull(7))
            item.lastPrice = row.doubleAt(7);
        const auto [walkPrice, first] = lowest.try_emplace(item.goods.goodsId, item.goods.price);
        if (!first)
            walkPrice->second = std::min(walkPrice->second, item.goods.price);
        result.rows.push_back(std::move(item));
    });
    for (SightingChange& item : result.rows) {
        item.walkPrice = lowest[item.goods.goodsId];
        item.change = comparePrice(item.walkPrice, item.lastPrice);
    }
    return result;
}

SqlRows<ItemPrice> HistoryStore::earlierPrices(std::int64_t walkId, const std::string& couponKey,
                                               const std::vector<std::string>& goodsIds)
{
    SqlRows<ItemPrice> result;
    SqlStatement& select = m_earlierPrices;
    select.reset();
    select.bind(1, walkId);
    select.bind(2, couponKey);
    select.bind(3, nlohmann::json(goodsIds).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    result.status = eachRow(m_db, select, [&](const SqlStatement& row) {
        if (!row.isNull(1))
            result.rows.push_back({row.textAt(0), row.doubleAt(1)});
    });
    select.reset();
    return result;
}

std::string formatLocalTime(std::int64_t ms)
{
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace zorvane
