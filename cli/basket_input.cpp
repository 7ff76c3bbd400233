#include "cli/basket_input.h"

#include "basket/goods_tsv.h"
#include "cli/translation.h"
#include "history/coupon_key.h"
#include "history/history_store.h"

namespace zorvane::cli {

BasketGoodsInput parseGoodsTsv(std::string_view text, const std::string& where)
{
    basket::GoodsTsv tsv = basket::parseGoodsTsv(text);
    BasketGoodsInput input{std::move(tsv.goods), ""};
    if (!tsv.fault)
        return input;
    const std::string at = where + ":" + std::to_string(tsv.fault->line) + ": ";
    input.error = tsv.fault->kind == basket::GoodsTsvFault::Kind::NotGoodsLine
                      ? at + _("not a goods line (goodsId, name, price, tags)")
                      : at + _("the price is not a sum of money: ") + tsv.fault->field;
    return input;
}

BasketGoodsInput couponGoods(const std::string& dbPath, const std::string& address)
{
    BasketGoodsInput input;
    HistoryStore store;
    if (const SqlStatus opened = store.openForReading(dbPath); opened.notDatabase()) {
        input.error = fillIn(_("%s is not a history file"), dbPath);
        return input;
    } else if (!opened.ok()) {
        input.error = _("cannot open ") + dbPath + ": " + opened.message;
        return input;
    }
    const std::string key = couponKey(address);
    const std::optional<WalkSummary> walk = store.lastWalk(key);
    if (!walk) {
        input.error = _("no walk of ") + key + _(" in ") + dbPath;
        return input;
    }
    const SqlRows<Sighting> goods = store.walkGoods(walk->id);
    if (!goods.status.ok()) {
        input.error = _("cannot read ") + dbPath + ": " + goods.status.message;
        return input;
    }
    for (const Sighting& item : goods.rows) {
        // A price out of range is no quote the solver can use.
        input.goods.push_back({item.goodsId, item.name, basket::centsOfPrice(item.price).value_or(0)});
    }
    return input;
}

} // namespace zorvane::cli
