#include "basket/subset_sums.h"

#include <algorithm>

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

CountLayers::CountLayers(const std::vector<PriceGroup>& groups, const std::vector<GroupPart>& parts,
                         int maxCount, Cents low, Cents range)
    : m_groups(groups), m_parts(parts), m_maxCount(maxCount)
{
    const std::vector<Cents> dearest = dearestSums(groups, maxCount);
    const std::vector<Cents> cheapest = cheapestSums(groups, maxCount);
    m_layers.resize(static_cast<std::size_t>(maxCount) + 1);
    for (int c = 0; c <= maxCount; ++c) {
        const auto j = static_cast<std::size_t>(c);
        const Cents lo = std::max(cheapest[j], low - dearest[static_cast<std::size_t>(maxCount - c)]);
        const Cents hi = std::min(range, dearest[j]);
        m_layers[j].lo = std::max<Cents>(lo, 0);
        m_layers[j].hi = hi;
    }
}

std::size_t CountLayers::bytesNeeded() const
{
    std::size_t bytes = 0;
    for (const Layer& layer : m_layers) {
        if (layer.hi >= layer.lo)
            bytes += static_cast<std::size_t>(layer.hi - layer.lo + 1) * (sizeof(std::uint32_t) + 1);
    }
    return bytes;
}

bool CountLayers::build(const std::atomic<bool>* stop)
{
    for (Layer& layer : m_layers) {
        layer.bits = TotalBits(layer.lo, layer.hi);
        layer.firstPart.assign(layer.bits.empty() ? 0 : static_cast<std::size_t>(layer.hi - layer.lo + 1), 0);
    }
    m_layers[0].bits.set(0);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (i % 64 == 0 && stopped(stop))
            return false;
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
    return !stopped(stop);
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
