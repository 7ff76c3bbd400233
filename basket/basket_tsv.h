#pragma once

#include <string>

#include "basket/basket_solver.h"

namespace zorvane::basket {

// One basket as tsv, a line per goods item: rank, total, pay, goodsId, name,
// price, qty, share; money with two decimals, fields escaped as the goods
// tsv escapes them. What the command line writes and the window copies.
std::string basketTsv(const Basket& basket, int rank);

} // namespace zorvane::basket
