#include "basket/basket_solver.h"

#include <algorithm>
#include <climits>

#include "basket/basket_instance.h"
#include "basket/shares.h"
#include "basket/subset_sums.h"

namespace zorvane::basket {

namespace {

bool stopped(const std::atomic<bool>* stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// The fewest pieces whose prices can add up to `low` at all: the dearest ones.
std::int64_t leastPiecesFor(std::vector<PriceGroup> groups, Cents low)
{
    std::sort(groups.begin(), groups.end(),
              [](const PriceGroup& a, const PriceGroup& b) { return a.price > b.price; });
    std::int64_t pieces = 0;
    for (const PriceGroup& g : groups) {
        if (low <= 0)
            break;
        const std::int64_t take = std::min(g.pieces, (low + g.price - 1) / g.price);
        pieces += take;
        low -= take * g.price;
    }
    return pieces;
}

// The goods lines of a basket: the must goods, then each group's pieces on
// its members in list order, each up to its free pieces.
std::vector<BasketLine> basketLines(const BasketInstance& instance, const std::vector<std::int64_t>& perGroup)
{
    std::vector<std::int64_t> qty(instance.usable.size(), 0);
    for (std::size_t i = 0; i < instance.usable.size(); ++i)
        qty[i] = instance.usable[i].must ? 1 : 0;
    for (std::size_t g = 0; g < perGroup.size(); ++g) {
        std::int64_t left = perGroup[g];
        for (std::size_t i : instance.members[g]) {
            const std::int64_t take = std::min(left, instance.usable[i].freePieces);
            qty[i] += take;
            left -= take;
        }
    }
    std::vector<BasketLine> lines;
    for (std::size_t i = 0; i < qty.size(); ++i) {
        const UsableGoods& item = instance.usable[i];
        if (qty[i] > 0)
            lines.push_back({item.goods.goodsId, item.goods.name, item.goods.price, static_cast<int>(qty[i]),
                             0, item.must});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const BasketLine& a, const BasketLine& b) { return a.price > b.price; });
    return lines;
}

Basket makeBasket(const BasketRequest& request, const BasketInstance& instance, const CountLayers& layers,
                  Cents chosen, int pieces)
{
    Basket basket;
    basket.total = instance.mustTotal + chosen;
    basket.pay = std::max<Cents>(0, basket.total - request.discount);
    basket.over = basket.total - request.threshold;
    basket.pieces = instance.mustPieces + pieces;
    basket.lines = basketLines(instance, layers.piecesPerGroup(pieces, chosen));
    shareDiscount(basket.lines, request.discount);
    return basket;
}

// One pass over the totals [low, range] with layers up to maxCount pieces.
// Sets needMorePieces when a reachable total needs more layers to be judged.
struct Scan
{
    std::vector<Basket> baskets;
    bool needMorePieces = false;
    bool cancelled = false;
};

Scan scanTotals(const BasketRequest& request, const BasketInstance& instance, const TotalBits& reachable,
                const CountLayers& layers, Cents range, bool allLayers, const std::atomic<bool>* stop)
{
    Scan scan;
    for (Cents total = instance.low; total <= range; ++total) {
        if ((total - instance.low) % 4096 == 0 && stopped(stop)) {
            scan.cancelled = true;
            break;
        }
        if (!reachable.test(total))
            continue;
        const std::optional<int> pieces = layers.fewestPieces(total);
        if (!pieces) {
            // Reachable, but only with more pieces than the layers hold: past
            // the cap no basket has it; below it the layers must grow.
            scan.needMorePieces = !allLayers;
            if (scan.needMorePieces)
                break;
            continue;
        }
        scan.baskets.push_back(makeBasket(request, instance, layers, total, *pieces));
        if (static_cast<int>(scan.baskets.size()) == request.top)
            break;
    }
    return scan;
}

BasketResult searchWindow(const BasketRequest& request, const BasketInstance& instance,
                          const std::vector<GroupPart>& parts, Cents range, std::size_t budget,
                          const std::atomic<bool>* stop)
{
    const std::size_t reachableBytes = heapBytes(TotalBits::wordsFor(0, range) * sizeof(std::uint64_t));
    if (reachableBytes > budget)
        return {BasketStatus::OverMemory, "", {}};
    const std::optional<TotalBits> reachable = reachableTotals(parts, instance.low, range, stop);
    if (!reachable)
        return {BasketStatus::Cancelled, "", {}};
    const std::int64_t capLayers = std::min<std::int64_t>(instance.pieceCap, INT_MAX - 1);
    std::int64_t count = std::min(capLayers, leastPiecesFor(instance.groups, instance.low) + 1);
    for (;;) {
        CountLayers layers(instance.groups, parts, static_cast<int>(count), instance.low, range);
        const CountLayers::Built built = layers.build(budget - reachableBytes, stop);
        if (built == CountLayers::Built::OverBudget)
            return {BasketStatus::OverMemory, "", {}};
        if (built == CountLayers::Built::Stopped)
            return {BasketStatus::Cancelled, "", {}};
        Scan scan = scanTotals(request, instance, *reachable, layers, range, count == capLayers, stop);
        if (scan.cancelled)
            return {BasketStatus::Cancelled, "", {}};
        if (!scan.needMorePieces)
            return {BasketStatus::Ok, "", std::move(scan.baskets)};
        count = std::min(capLayers, count * 2);
    }
}

} // namespace

BasketResult solveBaskets(const BasketRequest& request, const std::atomic<bool>* stop)
{
    return solveBaskets(request, SearchTuning{}, stop);
}

BasketResult solveBaskets(const BasketRequest& request, const SearchTuning& tuning,
                          const std::atomic<bool>* stop)
{
    BasketInstance instance;
    BasketResult result = prepareInstance(request, instance);
    // No basket when even the dearest pieces allowed fall short: said at
    // once, where widening the window over every total would take long.
    if (result.status != BasketStatus::Ok || instance.low > instance.freeTotal ||
        leastPiecesFor(instance.groups, instance.low) > instance.pieceCap)
        return result;
    const std::vector<GroupPart> parts = splitGroups(instance.groups);
    // The window of totals grows until it holds enough baskets or every total
    // there is; totals inside it are judged exactly either way.
    Cents width = std::max<Cents>(1, tuning.firstWindow);
    for (;;) {
        const Cents range = std::min(instance.freeTotal, instance.low + width - 1);
        if (range > 2 * kMaxCents)
            return {BasketStatus::TooLarge, "", {}};
        result = searchWindow(request, instance, parts, range, tuning.memoryBudget, stop);
        if (result.status != BasketStatus::Ok || static_cast<int>(result.baskets.size()) == request.top ||
            range == instance.freeTotal)
            return result;
        width *= 2;
    }
}

} // namespace zorvane::basket
