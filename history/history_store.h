#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/goods_change.h"
#include "history/sqlite_db.h"

namespace zorvane {

// One walk as the store lists it. Times are milliseconds since the epoch.
struct WalkSummary
{
    std::int64_t id = 0;
    std::string address;
    std::string couponKey;
    std::int64_t startedMs = 0;
    std::optional<std::int64_t> endedMs; // none: the walk never ended (the program died)
    int pages = 0;                       // pages stored
    std::string endReason;               // "" while none was recorded
    std::int64_t goodsCount = 0;
    // Every goods item the walk saw is in the file and so is its end; a walk
    // that is not (its program died, or the file stayed held by another
    // program past what the recorder keeps) is never compared.
    bool whole = false;
};

// One goods item as a walk saw it.
struct Sighting
{
    int page = 0;     // 1-based page of the walk
    int position = 0; // 1-based position on that page
    std::string goodsId;
    std::string name; // as found, markup kept
    double price = 0;
    std::string tagText;           // the tags joined with ",", as the goods list shows them
    std::vector<std::string> tags; // the tags themselves, in the order found

    bool operator==(const Sighting&) const = default;
};

// A sighting of a walk with its goods item's change against the coupon's
// earlier walks. Every sighting of one item carries the same change.
struct SightingChange
{
    Sighting goods;
    double walkPrice = 0; // the lowest price this walk saw the item at
    std::optional<double>
        lastPrice; // the same figure of the last earlier walk that saw it, none when none did
    PriceChange change;
};

// A goods item's price in one walk: the lowest it was seen at there.
struct ItemPrice
{
    std::string goodsId;
    double price = 0;
};

// A coupon's 满 T 减 D, in cents.
struct CouponTerms
{
    std::int64_t thresholdCents = 0;
    std::int64_t discountCents = 0;

    bool operator==(const CouponTerms&) const = default;
};

// A query's rows, or the reason there are none.
template <typename T> struct SqlRows
{
    std::vector<T> rows;
    SqlStatus status;
};

// The goods history in one SQLite file. Not thread-safe: one store per
// thread. Every call reports failure as a status, never by throwing.
class HistoryStore final
{
public:
    static constexpr int kSchemaVersion = 4;

    struct OpenOutcome
    {
        SqlStatus status;
        std::string movedAside; // where a damaged file went, "" when none was
    };

    // Opens the file, creating it and its tables when missing and bringing an
    // older schema up to date. A file that is no database or a damaged one is
    // renamed to "<path>.bad-<time>" and a fresh one started.
    OpenOutcome open(const std::string& path);
    // Opens an existing history file for reading only: nothing in it or
    // beside it changes (an older schema is read as the current one). A
    // file that is not a history file is refused with SQLITE_NOTADB.
    SqlStatus openForReading(const std::string& path);
    bool isOpen() const { return m_db.isOpen(); }

    // How long a statement waits for another program's lock on the file
    // (5 s from opening).
    SqlStatus setBusyWait(int milliseconds);
    SqlStatus beginTransaction();
    SqlStatus commit();
    void rollback();

    // A new walk row; its id in walkId.
    SqlStatus beginWalk(const std::string& address, std::int64_t startedMs, std::int64_t& walkId);
    SqlStatus addSighting(std::int64_t walkId, const Sighting& sighting);
    SqlStatus setPages(std::int64_t walkId, int pages);
    // The walk's end; whole when no goods item it saw was left out.
    SqlStatus endWalk(std::int64_t walkId, std::int64_t endedMs, const std::string& reason,
                      bool whole = true);
    // Whether the walk is in the file whole (see WalkSummary::whole); false
    // for a walk the file does not have.
    bool walkWhole(std::int64_t walkId);
    // Copies the write-ahead log into the file and empties it, waiting (up to
    // the busy timeout) for readers in the middle of a read. Outside a
    // transaction only.
    SqlStatus checkpoint();

    // Every walk, oldest first.
    SqlRows<WalkSummary> listWalks();
    // A walk and its sightings.
    SqlStatus deleteWalk(std::int64_t walkId);
    // The walk's goods in the order they were found.
    SqlRows<Sighting> walkGoods(std::int64_t walkId);
    // The last walk of the coupon, none when it has none (or on failure).
    std::optional<WalkSummary> lastWalk(const std::string& couponKey);
    // The last walk of the coupon in the file whole that stored goods, none
    // when none did.
    std::optional<WalkSummary> lastWholeWalkWithGoods(const std::string& couponKey);
    // The walk's sightings, each with its goods item's change since the
    // coupon's last earlier whole walk that saw the item.
    SqlRows<SightingChange> changes(std::int64_t walkId, const std::string& couponKey);
    // Above the id of every walk stored so far: a walk begun later gets at
    // least this id. 0 on failure.
    std::int64_t nextWalkId();
    // For each of goodsIds, its lowest price in the last whole walk of the
    // coupon before walkId that saw it; the ids no such walk saw are left out. One
    // query however many ids: the recorder asks once per page.
    SqlRows<ItemPrice> earlierPrices(std::int64_t walkId, const std::string& couponKey,
                                     const std::vector<std::string>& goodsIds);

    // The terms last used for the coupon's baskets (coupon_terms.cpp); none
    // when never stored (or on failure).
    std::optional<CouponTerms> couponTerms(const std::string& couponKey);
    SqlStatus setCouponTerms(const std::string& couponKey, const CouponTerms& terms);

private:
    SqlStatus openFile(const std::string& path);
    SqlStatus prepareStatements(bool writable);
    // The coupon's last walk that meets the SQL condition (" AND ..." on w).
    std::optional<WalkSummary> lastWalkWhere(const std::string& couponKey, const char* condition);

    SqlDatabase m_db;
    SqlStatement m_insertSighting;
    SqlStatement m_earlierPrices;
};

// Brings the schema from fromVersion to HistoryStore::kSchemaVersion (version 0
// is an empty file). A version newer than this program knows is refused.
SqlStatus migrateHistory(SqlDatabase& db, int fromVersion);

// Local time "YYYY-MM-DD HH:MM:SS" of a time in milliseconds since the epoch.
std::string formatLocalTime(std::int64_t ms);

} // namespace zorvane
