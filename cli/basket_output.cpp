#include "cli/basket_output.h"

#include <nlohmann/json.hpp>

#include "basket/basket_tsv.h"

namespace zorvane::cli {

namespace {

std::string basketJson(const basket::Basket& basket, int rank)
{
    using basket::yuanValue;
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const basket::BasketLine& line : basket.lines) {
        items.push_back({{"goodsId", line.goodsId},
                         {"name", line.name},
                         {"price", yuanValue(line.price)},
                         {"qty", line.qty},
                         {"share", yuanValue(line.share)}});
    }
    const nlohmann::ordered_json object = {{"rank", rank},
                                           {"total", yuanValue(basket.total)},
                                           {"pay", yuanValue(basket.pay)},
                                           {"over", yuanValue(basket.over)},
                                           {"items", items}};
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace

std::string formatBaskets(const std::vector<basket::Basket>& baskets, bool json)
{
    std::string text;
    for (std::size_t i = 0; i < baskets.size(); ++i) {
        const int rank = static_cast<int>(i) + 1;
        text += json ? basketJson(baskets[i], rank) : basket::basketTsv(baskets[i], rank);
    }
    return text;
}

} // namespace zorvane::cli
