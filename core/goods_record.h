#pragma once

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

} // namespace zorvane
