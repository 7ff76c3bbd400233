// The goods history in the window: recording each walk, and the 历史 menu
// that loads an earlier walk into the goods list.
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "core/log.h"
#include "history/history_store.h"
#include "settings/settings_file.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/history_bridge.h"
#include "ui/history_dialog.h"
#include "ui/history_text.h"
#include "ui/main_window.h"
#include "ui/widget_names.h"

namespace zorvane::ui {

namespace {

// Walks the 历史 menu names; older ones are in the dialog.
constexpr int kMenuWalks = 15;

} // namespace

HistoryBridge& MainWindow::history()
{
    if (!m_history)
        m_history = std::make_unique<HistoryBridge>(*m_state, historyFilePath(m_settingsPath));
    return *m_history;
}

void MainWindow::recordWalkStart(const WalkStart& start)
{
    history().walkStarted(start.address, start.pagesBefore);
}

void MainWindow::recordWalkEnd(WalkEndReason reason)
{
    history().walkEnded(reason);
}

void MainWindow::buildHistoryMenu()
{
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8("历史"));
    menu->setObjectName(QString::fromUtf8(widget_names::kHistoryMenu));
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillHistoryMenu(menu); });
}

void MainWindow::fillHistoryMenu(QMenu* menu)
{
    menu->clear();
    HistoryStore* store = history().reader();
    const std::vector<WalkSummary> walks = store ? store->listWalks().rows : std::vector<WalkSummary>();
    for (auto walk = walks.rbegin(); walk != walks.rend() && walk - walks.rbegin() < kMenuWalks; ++walk) {
        const std::int64_t id = walk->id;
        connect(menu->addAction(historyMenuCaption(*walk)), &QAction::triggered, this,
                [this, id] { loadHistoryWalk(id); });
    }
    if (walks.empty())
        menu->addAction(QString::fromUtf8("（无记录）"))->setEnabled(false);
    menu->addSeparator();
    connect(menu->addAction(QString::fromUtf8("管理历史记录…")), &QAction::triggered, this,
            &MainWindow::showHistoryDialog);
    menu->addSeparator();
    connect(menu->addAction(QString::fromUtf8("关注此优惠券…")), &QAction::triggered, this,
            &MainWindow::watchCoupon);
    connect(menu->addAction(QString::fromUtf8("管理关注…")), &QAction::triggered, this,
            &MainWindow::showWatchDialog);
}

void MainWindow::showHistoryDialog()
{
    HistoryStore* store = history().reader();
    if (!store) {
        logAndTell(QString::fromUtf8("历史记录不可用：") + QString::fromStdString(history().path()),
                   QMessageBox::Warning);
        return;
    }
    HistoryDialog dialog(*store, this);
    if (dialog.exec() == QDialog::Accepted && dialog.chosenWalk() != 0)
        loadHistoryWalk(dialog.chosenWalk());
}

bool MainWindow::loadHistoryWalk(std::int64_t walkId)
{
    HistoryStore* store = history().reader();
    if (!store || !busyCheck(*m_state, true))
        return false;
    // A paused walk goes on into the list: it would add its goods to the loaded ones.
    if (m_state->walk.state() == RunState::Paused) {
        appendLog(*m_state, "搜索已暂停，停止后才能载入历史记录");
        return false;
    }
    const std::vector<WalkSummary> walks = store->listWalks().rows;
    const auto walk =
        std::find_if(walks.begin(), walks.end(), [walkId](const WalkSummary& w) { return w.id == walkId; });
    if (walk == walks.end())
        return false;
    const SqlRows<SightingChange> goods = store->changes(walk->id, walk->couponKey);
    if (!goods.status.ok()) {
        logAndTell(QString::fromUtf8("读取历史记录失败：") + QString::fromStdString(goods.status.message),
                   QMessageBox::Warning);
        return false;
    }
    if (m_goods->storeCount() > 0 && !confirmClear())
        return false;
    emptyGoods();
    for (const SightingChange& item : goods.rows) {
        GoodsRecord record;
        record.goodsId = item.goods.goodsId;
        record.name = item.goods.name;
        record.price = item.goods.price;
        record.tags = item.goods.tags;
        record.tagText = item.goods.tagText;
        record.change = changeText(item.change);
        const std::int64_t n = m_state->goods.append(record);
        m_goods->showNewGoods(std::move(record), n, false);
    }
    m_goods->widgets().model->flush();
    m_goods->refreshPriceChart();
    m_status->showEarlierWalk(walk->pages, walk->endedMs ? *walk->endedMs - walk->startedMs : 0);
    appendLog(*m_state, "已载入历史记录：" + formatLocalTime(walk->startedMs) + "，" +
                            std::to_string(goods.rows.size()) + "件商品");
    return true;
}

} // namespace zorvane::ui
