#include "goods/price_histogram.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zorvane {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

std::int64_t barsFor(std::int64_t lowCents, std::int64_t highCents, std::int64_t width)
{
    return floorDiv(highCents, width) - floorDiv(lowCents, width) + 1;
}

// The nice width whose bar count over [low, high] is nearest to targetBars;
// the wider one on a tie, so that few bars are drawn.
std::int64_t niceWidth(std::int64_t lowCents, std::int64_t highCents, int targetBars)
{
    std::int64_t best = 1;
    std::int64_t bestMiss = -1;
    for (std::int64_t power = 1; power <= 1'000'000'000'000LL; power *= 10) {
        for (std::int64_t step : {1, 2, 5}) {
            const std::int64_t width = step * power;
            const std::int64_t miss = std::llabs(barsFor(lowCents, highCents, width) - targetBars);
            if (bestMiss < 0 || miss <= bestMiss) {
                best = width;
                bestMiss = miss;
            }
        }
    }
    return best;
}

} // namespace

double PriceHistogram::lowestPrice(int bar) const
{
    return static_cast<double>(startCents + bar * widthCents) / 100.0;
}

double PriceHistogram::highestPrice(int bar) const
{
    return static_cast<double>(startCents + (bar + 1) * widthCents - 1) / 100.0;
}

PriceHistogram binPrices(std::span<const double> prices, int targetBars)
{
    PriceHistogram histogram;
    if (prices.empty() || targetBars < 1)
        return histogram;
    std::vector<std::int64_t> cents(prices.size());
    std::transform(prices.begin(), prices.end(), cents.begin(),
                   [](double price) { return std::llround(price * 100.0); });
    const auto [low, high] = std::minmax_element(cents.begin(), cents.end());
    // Equal prices are spread as if they spanned their own size, so that 199
    // sits in a bar 190–199.99 rather than in one a cent wide.
    histogram.widthCents = *high > *low
                               ? niceWidth(*low, *high, targetBars)
                               : niceWidth(0, std::max<std::int64_t>(std::llabs(*high), 100), targetBars);
    histogram.startCents = floorDiv(*low, histogram.widthCents) * histogram.widthCents;
    histogram.counts.assign(static_cast<std::size_t>(barsFor(*low, *high, histogram.widthCents)), 0);
    for (std::int64_t c : cents)
        ++histogram.counts[static_cast<std::size_t>((c - histogram.startCents) / histogram.widthCents)];
    return histogram;
}

} // namespace zorvane
