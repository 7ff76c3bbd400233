#include "goods/sort.h"

#include <random>

#include <gtest/gtest.h>

#include "tests/goods/goods_test_util.h"

using namespace zorvane;
using zorvane::test::makeGoods;

namespace {

// The exchange sort the order must match, written out literally: n passes,
// adjacent records exchanged when their prices differ by more than 1e-7.
void referenceBubbleSort(GoodsList& goods, bool ascending)
{
    const std::size_t n = goods.size();
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j + i <= n; ++j) {
            double diff = goods[j - 1].price - goods[j].price;
            if (ascending ? diff > 1e-7 : diff < -1e-7)
                std::swap(goods[j - 1], goods[j]);
        }
    }
}

std::vector<std::string> idsOf(const GoodsList& goods)
{
    std::vector<std::string> ids;
    for (const GoodsRecord& r : goods)
        ids.push_back(r.goodsId);
    return ids;
}

// A store whose prices come from makePrice; ids give the original position.
template <typename MakePrice> GoodsList randomStore(std::mt19937& rng, std::size_t size, MakePrice makePrice)
{
    GoodsList goods;
    for (std::size_t i = 0; i < size; ++i)
        goods.push_back(makeGoods(std::to_string(i), makePrice(rng)));
    return goods;
}

template <typename MakePrice> void expectSameOrderAsReference(std::uint32_t seed, MakePrice makePrice)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> sizes(0, 200);
    for (std::size_t round = 0; round < 300; ++round) {
        GoodsList goods = randomStore(rng, round < 4 ? round : sizes(rng), makePrice);
        for (bool ascending : {true, false}) {
            GoodsList expected = goods;
            referenceBubbleSort(expected, ascending);
            GoodsList actual = goods;
            sortGoodsByPrice(actual, ascending);
            ASSERT_EQ(idsOf(actual), idsOf(expected)) << "round " << round << " ascending " << ascending;
        }
    }
}

} // namespace

TEST(SortGoods, MatchesBubbleSortOnPricesInCents)
{
    // Few distinct prices, so most goods share a price with others.
    expectSameOrderAsReference(
        7, [](std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 30)(rng) / 100.0 + 9.9; });
    expectSameOrderAsReference(
        8, [](std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 1000000)(rng) / 100.0; });
}

TEST(SortGoods, MatchesBubbleSortWhenPricesAreNearlyEqual)
{
    // Chains of prices less than 1e-7 apart make the exchange rule intransitive.
    expectSameOrderAsReference(9, [](std::mt19937& rng) {
        return 9.9 + std::uniform_int_distribution<int>(0, 6)(rng) * 0.6e-7 +
               std::uniform_int_distribution<int>(0, 2)(rng) * 0.01;
    });
}

TEST(SortGoods, PricesWithinToleranceKeepTheirOrderBothWays)
{
    for (bool ascending : {true, false}) {
        GoodsList goods = {makeGoods("a", 9.9000000001), makeGoods("b", 9.9)};
        sortGoodsByPrice(goods, ascending);
        EXPECT_EQ(idsOf(goods), (std::vector<std::string>{"a", "b"}));
        goods = {makeGoods("b", 9.9), makeGoods("a", 9.9000000001)};
        sortGoodsByPrice(goods, ascending);
        EXPECT_EQ(idsOf(goods), (std::vector<std::string>{"b", "a"}));
    }
}

TEST(SortGoods, WholeRecordsMove)
{
    GoodsList goods = {makeGoods("expensive", 30, {"券", "包邮"}, "贵"), makeGoods("cheap", 1, {}, "便宜")};
    goods[0].passesFilter = 0;
    GoodsList original = goods;
    sortGoodsByPrice(goods, true);
    EXPECT_EQ(goods[0], original[1]);
    EXPECT_EQ(goods[1], original[0]);
}

using RunSort = test::WorkerTest;

TEST_F(RunSort, SortsTheStoreInTheSetDirectionAndRelistsEveryPosition)
{
    GoodsList goods = {makeGoods("mid", 5), makeGoods("low", 1), makeGoods("high", 9)};
    goods[0].passesFilter = 0;
    test::setStore(state, goods);
    runSort(state, sink, false);
    EXPECT_EQ(idsOf(state.goods.snapshot()), (std::vector<std::string>{"high", "mid", "low"}));
    EXPECT_EQ(state.goods.snapshot()[1].passesFilter, 0); // the hidden record stays hidden
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackShowGoods, 1},
                                                                    {kFeedbackShowGoods, 2},
                                                                    {kFeedbackShowGoods, 3},
                                                                    {kFeedbackSortEnded, 0}}));
    EXPECT_TRUE(sink.locksFreeOnEverySend);

    runSort(state, sink, true);
    EXPECT_EQ(idsOf(state.goods.snapshot()), (std::vector<std::string>{"low", "mid", "high"}));
}

TEST_F(RunSort, ZeroAndOneGoods)
{
    runSort(state, sink, false);
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackSortEnded, 0}}));
    EXPECT_EQ(state.goods.size(), 0u);

    sink.messages.clear();
    test::setStore(state, {makeGoods("only", 3)});
    runSort(state, sink, false);
    EXPECT_EQ(sink.codes(),
              (std::vector<std::pair<int, long long>>{{kFeedbackShowGoods, 1}, {kFeedbackSortEnded, 0}}));
    EXPECT_EQ(state.goods.snapshot()[0].goodsId, "only");
    EXPECT_TRUE(test::takeLogMessages(state).empty()); // the window logs the end, not the worker
}
