#include "basket/basket_instance.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

namespace zorvane::basket {

namespace {

// The first value out of range, in the words of BasketStatus::BadRequest;
// nothing when all are in range.
const char* outOfRange(const BasketRequest& r)
{
    if (r.threshold <= 0 || r.threshold > kMaxCents)
        return "threshold";
    if (r.discount <= 0 || r.discount > kMaxCents)
        return "discount";
    if (r.top < 1 || r.top > kMostTop)
        return "top";
    if (r.maxItems < 0 || r.maxItems > kMostItems)
        return "maxItems";
    if (r.maxEach < 1 || r.maxEach > kMostEach)
        return "maxEach";
    return nullptr;
}

// One entry per id, the last sighting's price and name, in first-seen order.
std::vector<BasketGoods> lastSightings(const std::vector<BasketGoods>& goods)
{
    std::vector<BasketGoods> unique;
    std::unordered_map<std::string, std::size_t> index;
    for (const BasketGoods& item : goods) {
        const auto [at, fresh] = index.emplace(item.goodsId, unique.size());
        if (fresh)
            unique.push_back(item);
        else
            unique[at->second] = item;
    }
    return unique;
}

void groupByPrice(BasketInstance& instance)
{
    std::map<Cents, std::size_t> groupOf;
    for (const UsableGoods& item : instance.usable) {
        if (item.freePieces > 0)
            groupOf.emplace(item.goods.price, 0);
    }
    for (auto& [price, group] : groupOf) {
        group = instance.groups.size();
        instance.groups.push_back({price, 0});
    }
    instance.members.resize(instance.groups.size());
    for (std::size_t i = 0; i < instance.usable.size(); ++i) {
        const UsableGoods& item = instance.usable[i];
        if (item.freePieces == 0)
            continue;
        const std::size_t g = groupOf[item.goods.price];
        instance.groups[g].pieces += item.freePieces;
        instance.members[g].push_back(i);
        instance.freePieces += item.freePieces;
        instance.freeTotal = std::min(4 * kMaxCents, instance.freeTotal + item.freePieces * item.goods.price);
    }
}

} // namespace

BasketResult prepareInstance(const BasketRequest& request, BasketInstance& instance)
{
    if (const char* fault = outOfRange(request))
        return {BasketStatus::BadRequest, fault, {}};
    // A coupon that takes off its whole threshold would make every basket
    // free: a typing slip, not terms to search under.
    if (request.discount >= request.threshold)
        return {BasketStatus::NoSaving, "", {}};
    const std::set<std::string> must(request.must.begin(), request.must.end());
    const std::set<std::string> exclude(request.exclude.begin(), request.exclude.end());
    for (const std::string& id : must) {
        if (exclude.count(id) != 0)
            return {BasketStatus::MustExcluded, id, {}};
    }
    std::set<std::string> mustSeen;
    for (BasketGoods& item : lastSightings(request.goods)) {
        if (item.price <= 0 || item.price > kMaxCents || exclude.count(item.goodsId) != 0)
            continue;
        const bool isMust = must.count(item.goodsId) != 0;
        if (isMust) {
            mustSeen.insert(item.goodsId);
            instance.mustTotal += item.price;
            ++instance.mustPieces;
        }
        instance.usable.push_back({std::move(item), isMust, request.maxEach - (isMust ? 1 : 0)});
    }
    for (const std::string& id : must) {
        if (mustSeen.count(id) == 0)
            return {BasketStatus::UnknownMust, id, {}};
    }
    if (request.maxItems > 0 && instance.mustPieces > request.maxItems)
        return {BasketStatus::MustOverMaxItems, std::to_string(instance.mustPieces), {}};
    groupByPrice(instance);
    instance.low = std::max<Cents>(0, request.threshold - instance.mustTotal);
    instance.pieceCap = request.maxItems > 0 ? std::min<std::int64_t>(request.maxItems - instance.mustPieces,
                                                                      instance.freePieces)
                                             : instance.freePieces;
    return {};
}

} // namespace zorvane::basket
