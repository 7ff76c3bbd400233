// Each sighting's tags kept as a list: as a walk records them, and as a file
// that kept only their joined text is upgraded in place.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "history/history_store.h"
#include "history/sqlite_db.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

// The tables as the program wrote them before the tags were kept as a list.
constexpr const char* kVersion1Tables = R"(
CREATE TABLE walks(id INTEGER PRIMARY KEY, address TEXT NOT NULL, coupon_key TEXT NOT NULL,
  started_ms INTEGER NOT NULL, ended_ms INTEGER, pages INTEGER NOT NULL DEFAULT 0, end_reason TEXT);
CREATE INDEX walks_by_coupon ON walks(coupon_key, id);
CREATE TABLE sightings(walk_id INTEGER NOT NULL, page INTEGER NOT NULL, position INTEGER NOT NULL,
  goods_id TEXT NOT NULL, name TEXT NOT NULL, price REAL NOT NULL, tag_text TEXT NOT NULL);
CREATE INDEX sightings_by_walk ON sightings(walk_id);
CREATE INDEX sightings_by_goods ON sightings(goods_id, walk_id);
INSERT INTO walks(id, address, coupon_key, started_ms) VALUES(1, 'https://x.test/Search', 'k', 0);
PRAGMA user_version = 1;
)";

int userVersion(const std::string& path)
{
    SqlDatabase db;
    if (!db.open(path).ok())
        return -1;
    SqlStatement select = db.prepare("PRAGMA user_version");
    return select.valid() && select.step() == SQLITE_ROW ? static_cast<int>(select.int64At(0)) : -1;
}

TEST(HistoryTags, EachSightingKeepsItsListAndOldFilesAreSplitWhereTheyWereJoined)
{
    struct Case
    {
        std::string tagText;
        std::vector<std::string> recorded; // the list a walk records with that text
        std::vector<std::string> upgraded; // the list an old file's text becomes
    };
    const Case cases[] = {
        {"", {}, {}},
        {"自营", {"自营"}, {"自营"}},
        {"满2件,打9折,自营", {"满2件,打9折", "自营"}, {"满2件", "打9折", "自营"}},
        {"\"[,]\\", {"\"[", "]\\"}, {"\"[", "]\\"}},
        {",a,,b,", {",a,", ",b,"}, {"a", "b"}},
    };
    TempDir dir;
    const std::string recorded = dir.file("recorded.sqlite");
    const std::string old = dir.file("old.sqlite");
    {
        SqlDatabase db;
        ASSERT_TRUE(db.open(old).ok());
        ASSERT_TRUE(db.exec(kVersion1Tables).ok());
        for (const Case& c : cases) {
            SqlStatement insert = db.prepare("INSERT INTO sightings VALUES(1, 1, 1, '1', 'n', 1.0, ?1)");
            insert.bind(1, c.tagText);
            ASSERT_EQ(insert.step(), SQLITE_DONE);
        }
    }
    {
        HistoryStore store;
        ASSERT_TRUE(store.open(recorded).status.ok());
        std::int64_t walk = 0;
        ASSERT_TRUE(store.beginWalk("https://x.test/Search", 0, walk).ok());
        for (const Case& c : cases)
            ASSERT_TRUE(store.addSighting(walk, Sighting{1, 1, "1", "n", 1.0, c.tagText, c.recorded}).ok());
    }
    for (const std::string& path : {recorded, old}) {
        SCOPED_TRACE(path);
        HistoryStore store;
        const HistoryStore::OpenOutcome opened = store.open(path);
        ASSERT_TRUE(opened.status.ok()) << opened.status.message;
        EXPECT_EQ(opened.movedAside, "");
        const std::vector<Sighting> goods = store.walkGoods(1).rows;
        ASSERT_EQ(goods.size(), std::size(cases));
        for (std::size_t i = 0; i < goods.size(); ++i) {
            EXPECT_EQ(goods[i].tagText, cases[i].tagText);
            EXPECT_EQ(goods[i].tags, path == old ? cases[i].upgraded : cases[i].recorded) << cases[i].tagText;
        }
    }
    EXPECT_EQ(userVersion(old), HistoryStore::kSchemaVersion);
}

} // namespace
} // namespace zorvane::test
