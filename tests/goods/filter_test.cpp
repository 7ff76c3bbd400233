#include "goods/filter.h"

#include <gtest/gtest.h>

#include "tests/goods/goods_test_util.h"

using namespace zorvane;
using zorvane::test::makeGoods;

namespace {

std::vector<std::string> passingIds(const GoodsList& goods, const FilterCriteria& criteria)
{
    std::vector<std::string> ids;
    for (const GoodsRecord& record : goods) {
        if (goodsPassesFilter(record, criteria))
            ids.push_back(record.goodsId);
    }
    return ids;
}

using Ids = std::vector<std::string>;

} // namespace

TEST(FilterBounds, FullWidthFormsReadAsAscii)
{
    EXPECT_EQ(fullWidthToAscii("１２．５"), "12.5");
    EXPECT_EQ(fullWidthToAscii("－３ｅ２"), "-3e2");
    EXPECT_EQ(fullWidthToAscii("！～　￥￣☆★"), "!~ $~**");
    // Other characters, and a character cut short at the end, are kept as they are.
    EXPECT_EQ(fullWidthToAscii("价格12"), "价格12");
    EXPECT_EQ(fullWidthToAscii("1\xEF\xBC"), "1\xEF\xBC");
}

TEST(FilterBounds, SpacesAnywhereAreIgnoredAndOnlySpacesMeanNoBound)
{
    FilterCriteria none = makeFilterCriteria({}, "", " 　 ");
    EXPECT_EQ(none.hasMinPrice, 0);
    EXPECT_EQ(none.hasMaxPrice, 0);
    EXPECT_EQ(none.tickedTagCount, 0);

    FilterCriteria c = makeFilterCriteria({}, "　１２．５　", "1 0 0");
    EXPECT_EQ(c.hasMinPrice, 1);
    EXPECT_DOUBLE_EQ(c.minPrice, 12.5);
    EXPECT_EQ(c.hasMaxPrice, 1);
    EXPECT_DOUBLE_EQ(c.maxPrice, 100);
}

TEST(FilterBounds, TextWithoutNumberIsABoundOfZero)
{
    FilterCriteria c = makeFilterCriteria({}, "abc", "元5");
    EXPECT_EQ(c.hasMinPrice, 1);
    EXPECT_EQ(c.minPrice, 0);
    EXPECT_EQ(c.hasMaxPrice, 1);
    EXPECT_EQ(c.maxPrice, 0);
    GoodsList goods = {makeGoods("free", 0), makeGoods("cheap", 0.01)};
    EXPECT_EQ(passingIds(goods, c), Ids{"free"});
}

TEST(FilterBounds, BoundsAreRoundedToCentsAndInclusive)
{
    FilterCriteria c = makeFilterCriteria({}, "12.345", "");
    EXPECT_DOUBLE_EQ(c.minPrice, 12.35);
    GoodsList goods = {makeGoods("a", 12.34), makeGoods("b", 12.35), makeGoods("c", 99)};
    EXPECT_EQ(passingIds(goods, c), (Ids{"b", "c"}));

    FilterCriteria upper = makeFilterCriteria({}, "", "12.35");
    EXPECT_EQ(passingIds(goods, upper), (Ids{"a", "b"}));
}

TEST(FilterBounds, ToleranceOfAPriceJustOutsideABound)
{
    FilterCriteria c = makeFilterCriteria({}, "10", "20");
    GoodsList goods = {makeGoods("lowIn", 10 - 0.5e-7), makeGoods("lowOut", 10 - 2e-7),
                       makeGoods("highIn", 20 + 0.5e-7), makeGoods("highOut", 20 + 2e-7)};
    EXPECT_EQ(passingIds(goods, c), (Ids{"lowIn", "highIn"}));
}

TEST(FilterBounds, LowerAboveUpperPassesNothing)
{
    FilterCriteria c = makeFilterCriteria({}, "30", "20");
    GoodsList goods = {makeGoods("a", 20), makeGoods("b", 25), makeGoods("c", 30)};
    EXPECT_TRUE(passingIds(goods, c).empty());
}

TEST(FilterTags, EveryTickedTagMustBePresentByteForByte)
{
    FilterCriteria c = makeFilterCriteria({"满减", "券"}, "", "");
    EXPECT_EQ(c.tickedTagCount, 2);
    GoodsList goods = {
        makeGoods("one", 1, {"满减"}),
        makeGoods("both", 1, {"包邮", "券", "满减"}),
        makeGoods("none", 1),
        makeGoods("spaced", 1, {"满减 ", "券"}),
        makeGoods("exact", 1, {"券", "满减"}),
    };
    EXPECT_EQ(passingIds(goods, c), (Ids{"both", "exact"}));
}

TEST(FilterTags, TagsAndBoundsTogether)
{
    FilterCriteria c = makeFilterCriteria({"券"}, "5", "");
    GoodsList goods = {makeGoods("cheap", 4.99, {"券"}), makeGoods("ok", 5, {"券"}),
                       makeGoods("untagged", 9)};
    EXPECT_EQ(passingIds(goods, c), Ids{"ok"});
}

TEST(FilterTags, NoCriteriaPassesEverything)
{
    FilterCriteria c = makeFilterCriteria({}, "", "");
    GoodsList goods = {makeGoods("a", -1), makeGoods("b", 0), makeGoods("c", 1e9, {"x"})};
    EXPECT_EQ(passingIds(goods, c), (Ids{"a", "b", "c"}));
}

using RunFilter = test::WorkerTest;

TEST_F(RunFilter, RewritesFlagsLogsCountsAndListsPassingGoodsInStoreOrder)
{
    GoodsList goods = {makeGoods("1", 5), makeGoods("2", 15, {"券"}), makeGoods("3", 8, {"券"}),
                       makeGoods("4", 9, {"券"})};
    goods[3].passesFilter = 0; // hidden by an earlier run, passes now
    test::setStore(state, goods);

    runFilter(state, sink, makeFilterCriteria({"券"}, "", "10"));

    std::vector<int> flags;
    for (const GoodsRecord& r : state.goods.snapshot())
        flags.push_back(r.passesFilter);
    EXPECT_EQ(flags, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"总数量：4，符合要求商品的数量：2"});
    EXPECT_EQ(sink.codes(),
              (std::vector<std::pair<int, long long>>{
                  {kFeedbackShowGoods, 3}, {kFeedbackShowGoods, 4}, {kFeedbackFilterEnded, 0}}));
    EXPECT_TRUE(sink.locksFreeOnEverySend);
    EXPECT_TRUE(sink.posted.empty());
}

TEST_F(RunFilter, EmptyStoreSendsOnlyTheEnd)
{
    runFilter(state, sink, {});
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"总数量：0，符合要求商品的数量：0"});
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackFilterEnded, 0}}));
}

TEST_F(RunFilter, NothingPassingHidesEverything)
{
    test::setStore(state, {makeGoods("1", 5), makeGoods("2", 6)});
    runFilter(state, sink, makeFilterCriteria({}, "7", "1"));
    const GoodsList goods = state.goods.snapshot();
    EXPECT_EQ(goods[0].passesFilter + goods[1].passesFilter, 0);
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"总数量：2，符合要求商品的数量：0"});
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackFilterEnded, 0}}));
}
