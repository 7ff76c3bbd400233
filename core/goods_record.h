#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvane {

// One goods item found on a result page. Records are values: every hand-over
// between threads is a copy.
struct GoodsRecord
{
    std::string goodsId;           // digits of the item's data-sku attribute
    std::string name;              // as shown on the page, markup kept
    double price = 0;              // rounded to 2 decimals
    std::vector<std::string> tags; // promotion tags in the order found, none empty
    std::string tagText;           // tags joined with ","
    int passesFilter = 1;          // 1 when the goods list shows the record
    // The price against the coupon's earlier walks as the window shows it:
    // "新", "降¥x.xx", "涨¥x.xx", or "" (same price, or no history). Never exported.
    std::string change;

    bool operator==(const GoodsRecord&) const = default;
};

using GoodsList = std::vector<GoodsRecord>;

// A stored record's change against earlier walks, told once the history has
// compared it: the record by its 1-based position in the goods store (the
// count its goodsStored carried) and the text its change field takes.
struct StoredChange
{
    std::int64_t count = 0;
    std::string change;

    bool operator==(const StoredChange&) const = default;
};

} // namespace zorvane
