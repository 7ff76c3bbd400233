// The goods history in the window: recording each walk, and the 历史 menu
// that loads an earlier walk into the goods list.
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "core/log.h"
#include "core/walk_feedback.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "settings/settings_file.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/history_dialog.h"
#include "ui/history_text.h"
#include "ui/main_window.h"
#include "ui/widget_names.h"

namespace zorvane::ui {

namespace {

// Walks the 历史 menu names; older ones are in the dialog.
constexpr int kMenuWalks = 15;

} // namespace

std::shared_ptr<HistoryRecorder> MainWindow::historyRecorder()
{
    if (!m_recorder) {
        // The recorder may outlive the window on a walk's thread: it holds
        // what it reports to.
        m_recorder = std::make_shared<HistoryRecorder>(
            historyFilePath(m_settingsPath),
            [state = m_state](const std::string& notice) { appendLog(*state, notice); },
            [sink = m_sink](std::vector<StoredChange> changes) {
                sink->post(changesFeedback(std::move(changes)));
            });
    }
    return m_recorder;
}

HistoryStore* MainWindow::historyReader()
{
    // Opened once: a file that cannot be read now is left alone for the run,
    // as the recorder leaves it.
    if (!m_historyReader) {
        m_historyReader = std::make_unique<HistoryStore>();
        m_historyReader->open(historyFilePath(m_settingsPath));
    }
    return m_historyReader->isOpen() ? m_historyReader.get() : nullptr;
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
    HistoryStore* store = historyReader();
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
    HistoryStore* store = historyReader();
    if (!store) {
        logAndTell(QString::fromUtf8("历史记录不可用：") +
                       QString::fromStdString(historyFilePath(m_settingsPath)),
                   QMessageBox::Warning);
        return;
    }
    HistoryDialog dialog(*store, this);
    if (dialog.exec() == QDialog::Accepted && dialog.chosenWalk() != 0)
        loadHistoryWalk(dialog.chosenWalk());
}

bool MainWindow::loadHistoryWalk(std::int64_t walkId)
{
    HistoryStore* store = historyReader();
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
