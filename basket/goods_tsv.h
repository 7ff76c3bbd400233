#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basket/basket_solver.h"

namespace zorvane::basket {

// The largest goods list read: far more than every goods item of a coupon.
inline constexpr std::size_t kMostGoodsTsvBytes = std::size_t{1} << 30;

// Why a goods tsv could not be read, for its reader to word.
struct GoodsTsvFault
{
    enum class Kind
    {
        NotGoodsLine, // fewer than three fields
        BadPrice,     // the third field is no sum of money
    };
    Kind kind = Kind::NotGoodsLine;
    std::size_t line = 0; // 1-based
    std::string field;    // the price text, for BadPrice
};

struct GoodsTsv
{
    std::vector<BasketGoods> goods;
    std::optional<GoodsTsvFault> fault; // set: goods holds the lines before it
};

// The tsv that search and extract write: goodsId TAB name TAB price TAB tags,
// fields escaped as they write them. Blank lines are skipped, a line may end
// in CR LF, and a byte-order mark before the first line (an editor's) is no
// part of the first id.
GoodsTsv parseGoodsTsv(std::string_view text);

} // namespace zorvane::basket
