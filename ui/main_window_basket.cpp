// The 凑单 dialog in the window: the goods it works over, the rows made
// 必选, the goods pages it opens and each coupon's 满 and 减 in the history.
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

#include "base/text.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "ui/basket_dialog.h"
#include "ui/dialogs.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/main_window.h"

namespace zorvane::ui {

namespace {

BasketDialogGoods dialogGoods(const GoodsTableModel::Row& row)
{
    return {row.goodsId, row.name, row.shownName, row.priceText};
}

} // namespace

void MainWindow::showBasketDialog()
{
    auto* dialog = findChild<BasketDialog*>();
    if (!dialog) {
        BasketDialogHooks hooks;
        hooks.shownGoods = [this] {
            GoodsTableModel* model = m_goods->widgets().model;
            model->flush();
            std::vector<BasketDialogGoods> goods;
            for (int row = 0; row < model->rowCount(); ++row)
                goods.push_back(dialogGoods(*model->rowAt(row)));
            return goods;
        };
        hooks.selectedGoods = [this] {
            const GoodsWidgets& shown = m_goods->widgets();
            shown.model->flush();
            std::vector<BasketDialogGoods> goods;
            for (const QModelIndex& index : shown.view->selectionModel()->selectedRows())
                goods.push_back(dialogGoods(*shown.model->rowAt(index.row())));
            return goods;
        };
        hooks.openGoods = [this](const std::string& goodsId) {
            const std::string id = removeSpaces(goodsId);
            if (!id.empty())
                Dialogs::openWebAddress(QString::fromStdString(m_state->goodsAddress.addressOf(id)));
        };
        hooks.loadTerms = [this]() -> std::optional<std::pair<basket::Cents, basket::Cents>> {
            HistoryStore* store = historyReader();
            const std::string key = couponKey(m_address->text().toStdString());
            const std::optional<CouponTerms> terms =
                store && !key.empty() ? store->couponTerms(key) : std::nullopt;
            if (!terms)
                return std::nullopt;
            return std::pair(terms->thresholdCents, terms->discountCents);
        };
        hooks.saveTerms = [this](basket::Cents threshold, basket::Cents discount) {
            HistoryStore* store = historyReader();
            const std::string key = couponKey(m_address->text().toStdString());
            if (store && !key.empty())
                store->setCouponTerms(key, {threshold, discount});
        };
        dialog = new BasketDialog(std::move(hooks), this);
    } else {
        dialog->loadTerms();
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace zorvane::ui
