#include "basket/basket_tsv.h"

#include "goods/goods_formats.h"

namespace zorvane::basket {

std::string basketTsv(const Basket& basket, int rank)
{
    std::string text;
    const std::string head =
        std::to_string(rank) + "\t" + yuanText(basket.total) + "\t" + yuanText(basket.pay) + "\t";
    for (const BasketLine& line : basket.lines) {
        text += head;
        appendTsvField(text, line.goodsId);
        text += '\t';
        appendTsvField(text, line.name);
        text += "\t" + yuanText(line.price) + "\t" + std::to_string(line.qty) + "\t" + yuanText(line.share) +
                "\n";
    }
    return text;
}

} // namespace zorvane::basket
