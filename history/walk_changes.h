#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/goods_record.h"
#include "history/history_store.h"

namespace zorvane {

// The 变化 of one walk's goods while the walk runs, a page at a time. A
// walk's price of a goods item is the lowest it was seen at so far, and every
// sighting of the item shows the item's change: when a later page moves it,
// the item's earlier rows are told again. Not thread-safe: the history's
// writer thread owns it.
class WalkChanges final
{
public:
    // Forgets the walk before.
    void clear();
    // A goods item the walk stored as record count of the goods store.
    void add(const std::string& goodsId, double price, std::int64_t count);
    // The page's goods ids whose earlier price was never asked for; they
    // count as asked from now on.
    std::vector<std::string> idsToAsk();
    // Ends the page with the earlier walks' prices of the ids asked for (an
    // id left out was never seen before): the records whose text is new, in
    // store order.
    std::vector<StoredChange> finishPage(const std::vector<ItemPrice>& earlier);

private:
    struct Item
    {
        double lowest = 0;
        std::optional<double> earlier;
        bool asked = false;
        std::string text;                 // as the item's rows show it
        std::vector<std::int64_t> counts; // the item's records, in store order
        std::size_t told = 0;             // of those, the ones that show text
    };

    std::unordered_map<std::string, Item> m_items;
    std::vector<std::pair<const std::string, Item>*> m_page; // the page's sightings
};

} // namespace zorvane
