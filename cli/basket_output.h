#pragma once

#include <string>
#include <vector>

#include "basket/basket_solver.h"

namespace zorvane::cli {

// The baskets as tsv (one line per goods item: rank, total, pay, goodsId,
// name, price, qty, share; money with two decimals) or as json (one object
// a line per basket, money as numbers).
std::string formatBaskets(const std::vector<basket::Basket>& baskets, bool json);

} // namespace zorvane::cli
