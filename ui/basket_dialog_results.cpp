// The basket dialog's answer: the tree of baskets, opening a goods page and
// copying a basket.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "basket/basket_tsv.h"
#include "ui/basket_dialog.h"

namespace zorvane::ui {

namespace {

constexpr int kGoodsIdRole = Qt::UserRole;
constexpr int kBasketRole = Qt::UserRole + 1;

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

QString yuan(basket::Cents cents)
{
    return QString::fromStdString(basket::yuanText(cents));
}

// The box whose value is out of range, with its limit.
QString outOfRange(const std::string& field)
{
    if (field == "top")
        return u8("方案数最多%1个").arg(basket::kMostTop);
    if (field == "maxItems")
        return u8("最多件数不能超过%1").arg(basket::kMostItems);
    if (field == "maxEach")
        return u8("每件最多不能超过%1").arg(basket::kMostEach);
    return u8("满和减最多%1元").arg(yuan(basket::kMaxCents));
}

QString refusal(const basket::BasketResult& result)
{
    const QString detail = QString::fromStdString(result.detail);
    switch (result.status) {
    case basket::BasketStatus::UnknownMust:
        return u8("必选商品不在当前列表中或没有价格：") + detail;
    case basket::BasketStatus::MustExcluded:
        return u8("必选商品已被排除：") + detail;
    case basket::BasketStatus::BadRequest:
        return outOfRange(result.detail);
    case basket::BasketStatus::NoSaving:
        return u8("减的金额须小于满的金额，否则每个组合都不用付钱");
    case basket::BasketStatus::MustOverMaxItems:
        return u8("必选商品有%1件，超过了最多件数").arg(detail);
    case basket::BasketStatus::TooLarge:
        return u8("金额过大，无法计算");
    case basket::BasketStatus::OverMemory:
        return u8("计算所需内存超过1 GiB，请降低满的金额，或减小最多件数、每件最多");
    case basket::BasketStatus::Cancelled:
        return u8("已取消");
    case basket::BasketStatus::Ok:
        break;
    }
    return {};
}

} // namespace

void BasketDialog::showResult(const basket::BasketResult& result)
{
    m_workingDelay->stop();
    m_cancel->setVisible(false);
    if (result.status != basket::BasketStatus::Ok) {
        m_status->setText(refusal(result));
        return;
    }
    if (result.baskets.empty()) {
        m_status->setText(u8("没有能凑到满%1元的组合").arg(yuan(m_asked)));
        return;
    }
    m_baskets = result.baskets;
    fillTree(m_baskets);
    m_status->setText(u8("共%1个方案（双击或回车打开商品页，Ctrl+C复制方案）").arg(m_baskets.size()));
}

QString BasketDialog::shownName(const basket::BasketLine& line) const
{
    const auto shown = m_shownNames.find(line.goodsId);
    return QString::fromStdString(shown != m_shownNames.end() ? shown->second : line.name);
}

void BasketDialog::fillTree(const std::vector<basket::Basket>& baskets)
{
    for (std::size_t b = 0; b < baskets.size(); ++b) {
        const basket::Basket& basket = baskets[b];
        auto* row =
            new QTreeWidgetItem(m_tree, {u8("方案%1").arg(b + 1), yuan(basket.total), yuan(basket.pay),
                                         yuan(basket.over), QString::number(basket.pieces)});
        row->setData(0, kBasketRole, static_cast<int>(b));
        for (const basket::BasketLine& line : basket.lines) {
            auto* goods = new QTreeWidgetItem(row, {shownName(line), yuan(line.price), yuan(line.share),
                                                    QString(), QString::number(line.qty)});
            goods->setData(0, kGoodsIdRole, QString::fromStdString(line.goodsId));
            goods->setData(0, kBasketRole, static_cast<int>(b));
            goods->setToolTip(0, shownName(line));
        }
        row->setExpanded(true);
    }
    m_tree->setCurrentItem(m_tree->topLevelItem(0));
}

void BasketDialog::openItem(QTreeWidgetItem* item)
{
    const QString id = item ? item->data(0, kGoodsIdRole).toString() : QString();
    if (!id.isEmpty() && m_hooks.openGoods)
        m_hooks.openGoods(id.toStdString());
}

void BasketDialog::copyBasket()
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item)
        return;
    const int b = item->data(0, kBasketRole).toInt();
    if (b < 0 || static_cast<std::size_t>(b) >= m_baskets.size())
        return;
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(basket::basketTsv(m_baskets[static_cast<std::size_t>(b)], b + 1)));
}

} // namespace zorvane::ui
