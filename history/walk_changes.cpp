#include "history/walk_changes.h"

#include <algorithm>

#include "history/goods_change.h"

namespace zorvane {

void WalkChanges::clear()
{
    m_items.clear();
    m_page.clear();
}

void WalkChanges::add(const std::string& goodsId, double price, std::int64_t count)
{
    const auto [entry, first] = m_items.try_emplace(goodsId);
    Item& item = entry->second;
    item.lowest = first ? price : std::min(item.lowest, price);
    item.counts.push_back(count);
    m_page.push_back(&*entry);
}

std::vector<std::string> WalkChanges::idsToAsk()
{
    std::vector<std::string> ids;
    for (auto* entry : m_page) {
        if (!entry->second.asked)
            ids.push_back(entry->first);
        entry->second.asked = true;
    }
    return ids;
}

std::vector<StoredChange> WalkChanges::finishPage(const std::vector<ItemPrice>& earlier)
{
    for (const ItemPrice& price : earlier) {
        if (const auto entry = m_items.find(price.goodsId); entry != m_items.end())
            entry->second.earlier = price.price;
    }
    // An item repeated on the page is told once.
    std::sort(m_page.begin(), m_page.end());
    m_page.erase(std::unique(m_page.begin(), m_page.end()), m_page.end());
    std::vector<StoredChange> told;
    for (auto* entry : m_page) {
        Item& item = entry->second;
        std::string text = changeText(comparePrice(item.lowest, item.earlier));
        // A record shows "" until told otherwise; a moved text reaches every row.
        const std::size_t from = text != item.text ? 0 : item.text.empty() ? item.counts.size() : item.told;
        for (std::size_t i = from; i < item.counts.size(); ++i)
            told.push_back({item.counts[i], text});
        item.told = item.counts.size();
        item.text = std::move(text);
    }
    m_page.clear();
    std::sort(told.begin(), told.end(),
              [](const StoredChange& a, const StoredChange& b) { return a.count < b.count; });
    return told;
}

} // namespace zorvane
