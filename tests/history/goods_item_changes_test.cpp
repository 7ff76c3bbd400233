// Changes are told per goods item: a walk's price of an item is the lowest it
// was seen at in that walk, compared with the same figure of the coupon's
// last earlier walk that saw the item. Walks stored with the real store,
// read back by the built zorvane-cli.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "history/history_store.h"
#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

const std::string kAddress = "https://search.jd.com/Search?coupon_batch=4711&coupon_id=9";

struct Seen
{
    std::string goodsId;
    double price;
};

void storeWalk(HistoryStore& store, const std::vector<Seen>& goods)
{
    std::int64_t walkId = 0;
    ASSERT_TRUE(store.beginWalk(kAddress, 1000, walkId).ok());
    int position = 0;
    for (const Seen& seen : goods)
        ASSERT_TRUE(
            store
                .addSighting(walkId, {1, ++position, seen.goodsId, "商品" + seen.goodsId, seen.price, "", {}})
                .ok());
    ASSERT_TRUE(store.endWalk(walkId, 2000, "finished").ok());
}

TEST(GoodsItemChanges, CompareEachItemsLowestPriceWithTheLastWalkThatSawIt)
{
    struct Case
    {
        const char* name;
        std::vector<std::vector<Seen>> walks;
        std::string changes;
    };
    const std::vector<Case> cases = {
        {"identical walks with a repeat at another price",
         {{{"1", 10}, {"2", 5}, {"1", 12}}, {{"1", 10}, {"2", 5}, {"1", 12}}},
         "1\t商品1\t10.00\t\n2\t商品2\t5.00\t\n"},
        {"the repeat is cheaper first this time",
         {{{"1", 12}, {"1", 10}}, {{"1", 12}, {"1", 10}}},
         "1\t商品1\t10.00\t\n"},
        {"a cheaper repeat is a drop", {{{"1", 10}}, {{"1", 10}, {"1", 8}}}, "1\t商品1\t8.00\t降¥2.00\n"},
        {"against the last walk that saw the item, not the last walk",
         {{{"1", 10}, {"2", 5}}, {{"2", 5}}, {{"1", 9}, {"2", 6}, {"3", 1}}},
         "1\t商品1\t9.00\t降¥1.00\n2\t商品2\t6.00\t涨¥1.00\n3\t商品3\t1.00\t新\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string db = dir.file("goods.sqlite");
        {
            HistoryStore store;
            ASSERT_TRUE(store.open(db).status.ok());
            for (const std::vector<Seen>& walk : c.walks)
                storeWalk(store, walk);
        }
        const CliRun run = runCli({"changes", "--db", db, kAddress});
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.changes) << c.name;
    }
}

} // namespace
} // namespace zorvane::test
