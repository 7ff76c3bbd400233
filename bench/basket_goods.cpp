#include "bench/basket_goods.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace zorvane::bench {

std::vector<basket::BasketGoods> benchGoods(int count)
{
    std::mt19937 random(299050);
    std::lognormal_distribution<double> yuan(4.1, 1.1); // median about 60 yuan
    std::uniform_int_distribution<int> ending(0, 99);
    std::vector<basket::BasketGoods> goods;
    goods.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto whole = static_cast<basket::Cents>(std::clamp(std::floor(yuan(random)), 1.0, 9999.0));
        const int kind = ending(random);
        const basket::Cents cents = kind < 30   ? 0
                                    : kind < 50 ? 90
                                    : kind < 65 ? 99
                                    : kind < 75 ? 50
                                                : ending(random);
        const std::string id = std::to_string(100000000 + i * 7);
        goods.push_back({id, "测试商品 " + std::to_string(i), whole * 100 + cents});
    }
    return goods;
}

std::string benchGoodsTsv(const std::vector<basket::BasketGoods>& goods)
{
    std::string text;
    for (const basket::BasketGoods& g : goods)
        text += g.goodsId + "\t" + g.name + "\t" + basket::yuanText(g.price) + "\t\n";
    return text;
}

} // namespace zorvane::bench
