// Prices into bars of a nice width, about twenty of them.
#include "goods/price_histogram.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

// n bars, empty but for the given ones.
std::vector<std::int64_t> bars(std::size_t n,
                               std::initializer_list<std::pair<std::size_t, std::int64_t>> filled)
{
    std::vector<std::int64_t> counts(n, 0);
    for (auto [bar, count] : filled)
        counts[bar] = count;
    return counts;
}

TEST(PriceHistogram, BarsOfANiceWidthCoverEveryPriceOnce)
{
    const struct
    {
        const char* situation;
        std::vector<double> prices;
        std::int64_t startCents;
        std::int64_t widthCents;
        std::vector<std::int64_t> counts;
    } cases[] = {
        {"no goods", {}, 0, 0, {}},
        {"one price sits in a bar of its size", {199}, 19000, 1000, {1}},
        {"equal small prices share a bar", {0.5, 0.5, 0.5}, 50, 5, {3}},
        {"ten yuan in bars of fifty cents",
         {10, 10.49, 10.5, 19.99, 20},
         1000,
         50,
         bars(21, {{0, 2}, {1, 1}, {19, 1}, {20, 1}})},
        {"a wide spread takes a wide width",
         {3.2, 870, 1999.99},
         0,
         10000,
         bars(20, {{0, 1}, {8, 1}, {19, 1}})},
        {"prices count to the nearest cent", {0.014, 0.016, 0.2}, 1, 1, bars(20, {{0, 1}, {1, 1}, {19, 1}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        const PriceHistogram histogram = binPrices(c.prices);
        EXPECT_EQ(histogram.startCents, c.startCents);
        EXPECT_EQ(histogram.widthCents, c.widthCents);
        EXPECT_EQ(histogram.counts, c.counts);
    }
}

TEST(PriceHistogram, ABarsBoundsAreItsFirstAndLastCent)
{
    const PriceHistogram histogram = binPrices(std::vector<double>{10, 20});
    ASSERT_EQ(histogram.widthCents, 50);
    EXPECT_DOUBLE_EQ(histogram.lowestPrice(0), 10.0);
    EXPECT_DOUBLE_EQ(histogram.highestPrice(0), 10.49);
    EXPECT_DOUBLE_EQ(histogram.lowestPrice(20), 20.0);
    EXPECT_DOUBLE_EQ(histogram.highestPrice(20), 20.49);
}

} // namespace
} // namespace zorvane
