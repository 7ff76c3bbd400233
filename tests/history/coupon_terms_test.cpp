// Each coupon's 满 and 减 in the history file, also in a file written before
// the file kept them (and before it marked walks whole): read as it is, upgraded in place.
#include <gtest/gtest.h>

#include "history/history_store.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace zorvane {
namespace {

std::vector<bool> wholeFlags(HistoryStore& store)
{
    std::vector<bool> flags;
    for (const WalkSummary& walk : store.listWalks().rows)
        flags.push_back(walk.whole);
    return flags;
}

TEST(CouponTerms, AnOlderFileKeepsItsWalksAndGainsEachCouponsTerms)
{
    test::TempDir dir;
    const std::string path = dir.file("goods.sqlite");
    {
        HistoryStore store;
        ASSERT_TRUE(store.open(path).status.ok());
        std::int64_t walk = 0;
        ASSERT_TRUE(store.beginWalk("https://127.0.0.1:1/s?coupon=1", 5, walk).ok());
        ASSERT_TRUE(store.endWalk(walk, 6, "finished").ok());
        ASSERT_TRUE(store.beginWalk("https://127.0.0.1:1/s?coupon=1", 7, walk).ok()); // its program died
    }
    {
        // The file as the program before wrote it.
        SqlDatabase db;
        ASSERT_TRUE(db.open(path).ok());
        ASSERT_TRUE(db.exec("DROP TABLE coupon_terms; ALTER TABLE walks DROP COLUMN whole; "
                            "PRAGMA user_version = 2")
                        .ok());
    }
    // A reader sees it as the current version, and leaves it as it is.
    const std::string bytes = test::readFileBytes(path);
    HistoryStore reader;
    ASSERT_TRUE(reader.openForReading(path).ok());
    EXPECT_EQ(wholeFlags(reader), (std::vector<bool>{true, false}));
    EXPECT_EQ(test::readFileBytes(path), bytes);

    HistoryStore store;
    ASSERT_TRUE(store.open(path).status.ok());
    EXPECT_EQ(wholeFlags(store), (std::vector<bool>{true, false}));
    const struct
    {
        const char* key;
        CouponTerms terms;
    } writes[] = {{"a", {29900, 5000}}, {"b", {200000, 20000}}, {"a", {30000, 5050}}};
    for (const auto& w : writes)
        ASSERT_TRUE(store.setCouponTerms(w.key, w.terms).ok()) << w.key;
    EXPECT_EQ(store.couponTerms("a"), (CouponTerms{30000, 5050}));
    EXPECT_EQ(store.couponTerms("b"), (CouponTerms{200000, 20000}));
    EXPECT_EQ(store.couponTerms("c"), std::nullopt);
}

} // namespace
} // namespace zorvane
