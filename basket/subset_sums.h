#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "basket/money.h"
#include "basket/total_bits.h"

// The sums behind the baskets, and why they are exact.
//
// Goods of one price are interchangeable for totals and piece counts, so they
// form one group that may give up to `pieces` pieces. A group is split into
// parts of 1, 2, 4, ... pieces and a rest; every count 0..pieces is the sum of
// exactly one choice of parts, and no choice exceeds pieces. Choosing parts
// 0/1 therefore reaches exactly the (total, piece count) pairs that choosing
// 0..pieces pieces of each group reaches.
//
// Reachability: a bitset over the totals [0, range] shifted by each part in
// turn (0/1 knapsack). Every piece costs more than 0, so a basket whose total
// is at most range only passes through totals at most range: cutting the
// bitset there loses none of them.
//
// Fewest pieces: one bitset per exact piece count c (layer c), built part by
// part, layer c from layer c - units before the part's own change. A total
// that first appears in layer c with part i came from a state reached with
// parts before i only; its own first part is therefore earlier than i. So the
// chain of first parts from (c, total) down to (0, 0) uses each part at most
// once: it is a real basket with c pieces, and the smallest c whose layer
// holds a total is its fewest pieces. Layer c keeps only the totals from
// which a final total >= low can still be reached with the pieces left
// (low - the dearest `maxCount - c` pieces) and that c pieces can reach at
// all (the cheapest and the dearest c pieces), which no chain to a final
// total leaves.
//
// A basket with at most N pieces exists for a total iff the fewest pieces for
// it are at most N: the fewest-pieces basket is one, and any basket with at
// most N pieces shows that the fewest are no more.
namespace zorvane::basket {

// The usable goods of one price, and how many pieces of them may be taken.
struct PriceGroup
{
    Cents price = 0;
    std::int64_t pieces = 0;
};

// A part of a group: `units` of its pieces taken together.
struct GroupPart
{
    std::uint32_t group = 0;
    std::int64_t units = 0;
    Cents price = 0; // units * the group's price
};

std::vector<GroupPart> splitGroups(const std::vector<PriceGroup>& groups);

// The totals in [0, range] that some choice of parts reaches. Stops early
// once every total in [low, range] is reached (no part can change that).
// Nothing when stop was set.
std::optional<TotalBits> reachableTotals(const std::vector<GroupPart>& parts, Cents low, Cents range,
                                         const std::atomic<bool>* stop);

// What the heap takes for a block of n bytes: its header and 16-byte steps,
// whole pages for a block large enough to be mapped on its own.
std::size_t heapBytes(std::size_t n);

// The layers by piece count, 0..maxCount, over the totals up to range.
class CountLayers final
{
public:
    // groups in any order; parts as split from them. Allocates nothing.
    CountLayers(const std::vector<PriceGroup>& groups, const std::vector<GroupPart>& parts, int maxCount,
                Cents low, Cents range);

    enum class Built
    {
        Done,
        OverBudget, // nothing of the layers is kept
        Stopped,
    };
    // Allocates the layers and fills them, when every block they take (and
    // the sums their extents are worked out from) fits in budget bytes; the
    // blocks are counted before any is allocated.
    Built build(std::size_t budget, const std::atomic<bool>* stop);

    // The fewest pieces (<= maxCount) that reach total exactly; nothing when
    // more are needed or the total cannot be reached.
    std::optional<int> fewestPieces(Cents total) const;

    // The pieces of each group in a basket of `count` pieces and this total
    // (a layer that holds it).
    std::vector<std::int64_t> piecesPerGroup(int count, Cents total) const;

private:
    bool planExtents(std::size_t budget);
    void fill(const std::atomic<bool>* stop);

    struct Layer
    {
        Cents lo = 0;
        Cents hi = -1;
        TotalBits bits;
        std::vector<std::uint32_t> firstPart; // 1-based part index, per total of bits
    };

    const std::vector<PriceGroup>& m_groups;
    const std::vector<GroupPart>& m_parts;
    int m_maxCount;
    Cents m_low;
    Cents m_range;
    std::vector<Layer> m_layers;
};

// Sums of the dearest (or cheapest) j pieces, j = 0..count (saturating at the
// number of pieces there are: the sum stays that of all).
std::vector<Cents> dearestSums(std::vector<PriceGroup> groups, int count);
std::vector<Cents> cheapestSums(std::vector<PriceGroup> groups, int count);

} // namespace zorvane::basket
