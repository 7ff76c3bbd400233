#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "basket/basket_solver.h"

namespace zorvane::cli {

// The goods a basket is chosen from, or why there are none.
struct BasketGoodsInput
{
    std::vector<basket::BasketGoods> goods;
    std::string error; // "" when read
};

// The goods tsv as basket::parseGoodsTsv reads it, its fault in words; where
// names the source in messages.
BasketGoodsInput parseGoodsTsv(std::string_view text, const std::string& where);

// The goods of the coupon's last recorded walk in the history file.
BasketGoodsInput couponGoods(const std::string& dbPath, const std::string& address);

} // namespace zorvane::cli
