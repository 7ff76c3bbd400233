#pragma once

#include <cstdint>
#include <vector>

#include "basket/basket_solver.h"
#include "basket/subset_sums.h"

namespace zorvane::basket {

// A goods item that may go into a basket.
struct UsableGoods
{
    BasketGoods goods;
    bool must = false;
    std::int64_t freePieces = 0; // pieces beyond the must one
};

// The request brought to sums: the must goods set aside, the rest grouped by
// price. Baskets are the must goods plus a choice of the groups' pieces.
struct BasketInstance
{
    std::vector<UsableGoods> usable;               // in the order first seen
    std::vector<PriceGroup> groups;                // by price, ascending
    std::vector<std::vector<std::size_t>> members; // per group, indexes into usable, in order
    Cents mustTotal = 0;
    int mustPieces = 0;
    Cents low = 0;               // what the chosen pieces must add: max(0, T - mustTotal)
    std::int64_t pieceCap = 0;   // pieces the choice may have
    std::int64_t freePieces = 0; // pieces there are to choose
    Cents freeTotal = 0;         // their sum (saturating at 4 * kMaxCents)
};

// Fills the instance, or answers with a status other than Ok (and its detail,
// no baskets) when the request cannot be answered.
BasketResult prepareInstance(const BasketRequest& request, BasketInstance& instance);

} // namespace zorvane::basket
