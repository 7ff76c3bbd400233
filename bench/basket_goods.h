#pragma once

#include <string>
#include <vector>

#include "basket/basket_solver.h"

namespace zorvane::bench {

// Goods as a long walk gives them: prices spread like a shop's (most under a
// hundred yuan, a long tail of dear ones), ending mostly in .00, .90 or .99,
// many repeated. The same count always gives the same goods.
std::vector<basket::BasketGoods> benchGoods(int count);

// The goods as the tsv that search writes (goodsId, name, price, tags).
std::string benchGoodsTsv(const std::vector<basket::BasketGoods>& goods);

} // namespace zorvane::bench
