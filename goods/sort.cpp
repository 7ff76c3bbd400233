#include "goods/sort.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "base/numbers.h"
#include "core/app_state.h"
#include "core/feedback.h"

namespace zorvane {

namespace {

// True when the record at a goes after the one at b: the condition on which
// an adjacent exchange swaps them.
bool outOfOrder(double a, double b, bool ascending)
{
    return ascending ? a - b > kPriceTolerance : a - b < -kPriceTolerance;
}

// With distinct prices more than the tolerance apart, "within tolerance" is
// plain equality and the exchange rule is a strict weak order, so a stable
// sort gives what the exchange sort gives. A NaN, or two distinct prices
// closer than the tolerance, make the rule intransitive.
bool toleranceIsEquality(const GoodsList& goods)
{
    std::vector<double> prices;
    prices.reserve(goods.size());
    for (const GoodsRecord& record : goods) {
        if (std::isnan(record.price))
            return false;
        prices.push_back(record.price);
    }
    std::sort(prices.begin(), prices.end());
    for (std::size_t i = 1; i < prices.size(); ++i) {
        if (prices[i] != prices[i - 1] && !(prices[i] - prices[i - 1] > kPriceTolerance))
            return false;
    }
    return true;
}

// The exchange sort itself, over positions so that no record is copied
// until the end. Quadratic: only for stores with near-equal prices.
void exchangeSort(GoodsList& goods, bool ascending)
{
    std::vector<std::size_t> order(goods.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t pass = 1; pass < order.size(); ++pass) {
        bool exchanged = false;
        // Once a pass exchanges nothing, every later pass would not either.
        for (std::size_t j = 0; j + pass < order.size(); ++j) {
            if (outOfOrder(goods[order[j]].price, goods[order[j + 1]].price, ascending)) {
                std::swap(order[j], order[j + 1]);
                exchanged = true;
            }
        }
        if (!exchanged)
            break;
    }
    GoodsList sorted;
    sorted.reserve(goods.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(goods[index]));
    goods = std::move(sorted);
}

} // namespace

void sortGoodsByPrice(GoodsList& goods, bool ascending)
{
    if (!toleranceIsEquality(goods)) {
        exchangeSort(goods, ascending);
        return;
    }
    std::stable_sort(goods.begin(), goods.end(), [ascending](const GoodsRecord& a, const GoodsRecord& b) {
        return outOfOrder(b.price, a.price, ascending);
    });
}

void runSort(AppState& state, FeedbackSink& sink, bool ascending)
{
    GoodsList working = state.goods.snapshot();
    const std::size_t sortedCount = working.size();
    sortGoodsByPrice(working, ascending);
    state.goods.installSorted(std::move(working));
    const auto count = static_cast<std::int64_t>(sortedCount);
    for (std::int64_t n = 1; n <= count; ++n)
        sink.send(Feedback{kFeedbackShowGoods, n, std::nullopt});
    sink.send(Feedback{kFeedbackSortEnded, 0, std::nullopt});
}

} // namespace zorvane
