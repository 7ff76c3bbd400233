#include "basket/subset_sums.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace zorvane::basket {

namespace {

bool stopped(const std::atomic<bool>* stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

std::vector<Cents> prefixSums(const std::vector<PriceGroup>& ordered, int count)
{
    std::vector<Cents> sums(static_cast<std::size_t>(count) + 1, 0);
    std::size_t g = 0;
    std::int64_t usedOfGroup = 0;
    for (int j = 1; j <= count; ++j) {
        while (g < ordered.size() && usedOfGroup == ordered[g].pieces) {
            ++g;
            usedOfGroup = 0;
        }
        const Cents add = g < ordered.size() ? ordered[g].price : 0;
        ++usedOfGroup;
        sums[static_cast<std::size_t>(j)] =
            std::min(kMaxCents * 4, sums[static_cast<std::size_t>(j) - 1] + add);
    }
    return sums;
}

} // namespace

std::vector<GroupPart> splitGroups(const std::vector<PriceGroup>& groups)
{
    std::vector<GroupPart> parts;
    parts.reserve(groups.size());
    for (std::uint32_t g = 0; g < groups.size(); ++g) {
        std::int64_t left = groups[g].pieces;
        for (std::int64_t units = 1; left > 0; units *= 2) {
            const std::int64_t take = std::min(units, left);
            parts.push_back({g, take, take * groups[g].price});
            left -= take;
        }
    }
    return parts;
}

std::optional<TotalBits> reachableTotals(const std::vector<GroupPart>& parts, Cents low, Cents range,
                                         const std::atomic<bool>* stop)
{
    TotalBits bits(0, range);
    bits.set(0);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        // Checked now and then: the test costs a pass over the window.
        if (i % 64 == 0 && (stopped(stop) || bits.fullFrom(low)))
            break;
        bits.orShiftedSelf(parts[i].price);
    }
    if (stopped(stop))
        return std::nullopt;
    return bits;
}

std::vector<Cents> dearestSums(std::vector<PriceGroup> groups, int count)
{
    std::sort(groups.begin(), groups.end(),
              [](const PriceGroup& a, const PriceGroup& b) { return a.price > b.price; });
    return prefixSums(groups, count);
}

std::vector<Cents> cheapestSums(std::vector<PriceGroup> groups, int count)
{
    std::sort(groups.begin(), groups.end(),
              [](const PriceGroup& a, const PriceGroup& b) { return a.price < b.price; });
    return prefixSums(groups, count);
}

std::size_t heapBytes(std::size_t n)
{
    constexpr std::size_t kMappedFrom = 128 * 1024;
    constexpr std::size_t kPage = 4096;
    if (n == 0)
        return 0;
    if (n >= kMappedFrom)
        return (n + 16 + kPage - 1) / kPage * kPage;
    return std::max<std::size_t>(32, (n + 8 + 15) / 16 * 16);
}

CountLayers::CountLayers(const std::vector<PriceGroup>& groups, const std::vector<GroupPart>& parts,
                         int maxCount, Cents low, Cents range)
    : m_groups(groups), m_parts(parts), m_maxCount(maxCount), m_low(low), m_range(range)
{
}

// The extent of each layer, when everything the layers take fits in the
// budget: the sums their extents come from, their records and the blocks of
// each, counted together although the sums go before the blocks come.
bool CountLayers::planExtents(std::size_t budget)
{
    const auto layers = static_cast<std::size_t>(m_maxCount) + 1;
    std::size_t bytes = 2 * heapBytes(layers * sizeof(Cents)) + heapBytes(layers * sizeof(Layer));
    if (bytes > budget)
        return false;
    const std::vector<Cents> dearest = dearestSums(m_groups, m_maxCount);
    const std::vector<Cents> cheapest = cheapestSums(m_groups, m_maxCount);
    const auto extent = [&](int c) {
        const auto j = static_cast<std::size_t>(c);
        const Cents lo = std::max(cheapest[j], m_low - dearest[static_cast<std::size_t>(m_maxCount - c)]);
        return std::pair<Cents, Cents>(std::max<Cents>(lo, 0), std::min(m_range, dearest[j]));
    };
    for (int c = 0; c <= m_maxCount; ++c) {
        const auto [lo, hi] = extent(c);
        if (hi >= lo)
            bytes += heapBytes(TotalBits::wordsFor(lo, hi) * sizeof(std::uint64_t)) +
                     heapBytes(static_cast<std::size_t>(hi - lo + 1) * sizeof(std::uint32_t));
        if (bytes > budget)
            return false;
    }
    m_layers.resize(layers);
    for (int c = 0; c <= m_maxCount; ++c)
        std::tie(m_layers[static_cast<std::size_t>(c)].lo, m_layers[static_cast<std::size_t>(c)].hi) =
            extent(c);
    return true;
}

CountLayers::Built CountLayers::build(std::size_t budget, const std::atomic<bool>* stop)
{
    if (!planExtents(budget))
        return Built::OverBudget;
    fill(stop);
    return stopped(stop) ? Built::Stopped : Built::Done;
}

void CountLayers::fill(const std::atomic<bool>* stop)
{
    for (Layer& layer : m_layers) {
        layer.bits = TotalBits(layer.lo, layer.hi);
        layer.firstPart.assign(layer.bits.empty() ? 0 : static_cast<std::size_t>(layer.hi - layer.lo + 1), 0);
    }
    m_layers[0].bits.set(0);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (i % 64 == 0 && stopped(stop))
            return;
        const GroupPart& part = m_parts[i];
        if (part.units > m_maxCount)
            continue;
        const auto units = static_cast<int>(part.units);
        // Downwards: layer c - units is read before this part changes it.
        for (int c = m_maxCount; c >= units; --c) {
            Layer& to = m_layers[static_cast<std::size_t>(c)];
            const Layer& from = m_layers[static_cast<std::size_t>(c - units)];
            const auto index = static_cast<std::uint32_t>(i + 1);
            to.bits.orShifted(from.bits, part.price, [&to, index](Cents total) {
                to.firstPart[static_cast<std::size_t>(total - to.bits.lo())] = index;
            });
        }
    }
}

std::optional<int> CountLayers::fewestPieces(Cents total) const
{
    for (int c = 0; c <= m_maxCount; ++c) {
        if (m_layers[static_cast<std::size_t>(c)].bits.test(total))
            return c;
    }
    return std::nullopt;
}

std::vector<std::int64_t> CountLayers::piecesPerGroup(int count, Cents total) const
{
    std::vector<std::int64_t> pieces(m_groups.size(), 0);
    while (count > 0) {
        const Layer& layer = m_layers[static_cast<std::size_t>(count)];
        const GroupPart& part =
            m_parts[layer.firstPart[static_cast<std::size_t>(total - layer.bits.lo())] - 1];
        pieces[part.group] += part.units;
        count -= static_cast<int>(part.units);
        total -= part.price;
    }
    return pieces;
}

} // namespace zorvane::basket
