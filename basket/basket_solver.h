#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "basket/money.h"

namespace zorvane::basket {

// A goods item as the solver sees it. A price of 0 means no quote: never used.
struct BasketGoods
{
    std::string goodsId;
    std::string name;
    Cents price = 0;
};

// What the shopper asks: the cheapest baskets that clear a coupon's 满 T 减 D.
struct BasketRequest
{
    std::vector<BasketGoods> goods;   // an id seen again replaces its earlier entry
    Cents threshold = 0;              // T, more than 0
    Cents discount = 0;               // D, more than 0
    int top = 5;                      // how many baskets (K)
    int maxItems = 0;                 // pieces in a basket, 0 = no limit
    int maxEach = 1;                  // pieces of one goods item
    std::vector<std::string> must;    // ids always in the basket (one piece at least)
    std::vector<std::string> exclude; // ids never in it
};

// One goods item of a basket.
struct BasketLine
{
    std::string goodsId;
    std::string name;
    Cents price = 0;
    int qty = 1;
    Cents share = 0; // this line's part of the discount
    bool must = false;
};

struct Basket
{
    Cents total = 0;
    Cents pay = 0;                 // max(0, total - D)
    Cents over = 0;                // total - T
    int pieces = 0;                // the sum of the quantities
    std::vector<BasketLine> lines; // dearest line first
};

// The limits of a request besides kMaxCents for the sums.
inline constexpr int kMostTop = 1000;
inline constexpr int kMostEach = 9999;
inline constexpr int kMostItems = 1'000'000;

// The memory a search may take for its tables (reachable totals and the
// layers by piece count), counted as the heap hands the blocks out.
inline constexpr std::size_t kMemoryBudget = std::size_t{1} << 30;

enum class BasketStatus
{
    Ok,          // baskets holds every basket there is, up to top (none: nothing reaches T)
    UnknownMust, // a must id is not among the goods with a price
    MustExcluded,
    BadRequest,       // detail names the value out of range: threshold, discount, top, maxItems or maxEach
    NoSaving,         // the discount is not below the threshold: every basket would be free
    MustOverMaxItems, // more must goods (detail: how many) than maxItems
    TooLarge,         // the search would need totals beyond 2 x kMaxCents
    OverMemory,       // the tables would take more than the memory budget; nothing was allocated
    Cancelled
};

struct BasketResult
{
    BasketStatus status = BasketStatus::Ok;
    std::string detail; // the id, value or count at fault
    std::vector<Basket> baskets;

    bool ok() const { return status == BasketStatus::Ok; }
};

// The top cheapest baskets whose total is at least the threshold: one per
// total, for the smallest reachable totals in ascending order, each with the
// fewest pieces that reach its total. Exact (see subset_sums.h for why).
// stop, when given, is polled; once set the answer is Cancelled.
BasketResult solveBaskets(const BasketRequest& request, const std::atomic<bool>* stop = nullptr);

// How the solver searches; the answer never depends on it. Tests shrink the
// first window to walk the paths that widen it.
struct SearchTuning
{
    Cents firstWindow = 256; // totals looked at above the threshold before widening
    std::size_t memoryBudget = kMemoryBudget;
};

BasketResult solveBaskets(const BasketRequest& request, const SearchTuning& tuning,
                          const std::atomic<bool>* stop = nullptr);

} // namespace zorvane::basket
