// The goods history in the window: recording each walk, the 历史 menu that
// loads an earlier walk into the goods list, and the price chart over the
// goods shown.
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

#include <algorithm>

#include "base/numbers.h"
#include "core/log.h"
#include "goods/display_text.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "settings/settings_file.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/history_dialog.h"
#include "ui/history_text.h"
#include "ui/main_window.h"
#include "ui/price_chart.h"
#include "ui/tooltip_text.h"

namespace zorvane::ui {

namespace {

// Walks the 历史 menu names; older ones are in the dialog.
constexpr int kMenuWalks = 15;

QString priceBoundText(double price)
{
    return QString::fromStdString(formatNumber(price));
}

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
                sink->post(Feedback{kFeedbackChanges, 0, std::nullopt, {}, std::move(changes)});
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

void MainWindow::showChanges(const std::vector<StoredChange>& changes)
{
    // Every record of the running walk has its row, in store order behind
    // the rows listed before it began.
    const std::int64_t rowsBefore = m_storeCount - m_goodsModel->totalRows();
    std::vector<std::pair<int, std::string>> rows;
    rows.reserve(changes.size());
    for (const StoredChange& change : changes) {
        m_state->goods.setChange(change.count, change.change);
        rows.emplace_back(static_cast<int>(change.count - 1 - rowsBefore), change.change);
    }
    m_goodsModel->setChanges(rows);
}

void MainWindow::showNewGoods(std::int64_t n, bool fromWalk)
{
    NewGoods fresh = m_state->goods.takeNew(n);
    if (fresh.record)
        addGoodsRow(*fresh.record);
    for (const std::string& tag : fresh.newTags) {
        // The row shows the tag's display form; the filter reads the raw tag.
        const QString shown = QString::fromStdString(displayText(tag));
        auto* item = new QTreeWidgetItem(m_tagList, {shown});
        item->setData(0, Qt::UserRole, QString::fromStdString(tag));
        item->setToolTip(0, plainToolTip(shown));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    m_storeCount = n;
    // Only a walk gathers: goods loaded from the history are already kept there.
    if (fromWalk)
        ++m_gathered;
    m_status->setGoods(n);
}

void MainWindow::buildHistoryMenu()
{
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8("历史"));
    menu->setObjectName(QString::fromUtf8("菜单_历史"));
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
    if (m_storeCount > 0 && !confirmClear())
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
        showNewGoods(m_state->goods.append(std::move(record)), false);
    }
    m_goodsModel->flush();
    refreshPriceChart();
    m_status->showEarlierWalk(walk->pages, walk->endedMs ? *walk->endedMs - walk->startedMs : 0);
    appendLog(*m_state, "已载入历史记录：" + formatLocalTime(walk->startedMs) + "，" +
                            std::to_string(goods.rows.size()) + "件商品");
    return true;
}

void MainWindow::refreshPriceChart()
{
    m_goodsModel->flush();
    m_priceChart->showPrices(m_goodsModel->shownPrices());
}

void MainWindow::onPriceRangeChosen(double lowest, double highest)
{
    control<QLineEdit>("编辑框_价格min")->setText(priceBoundText(lowest));
    control<QLineEdit>("编辑框_价格max")->setText(priceBoundText(highest));
}

} // namespace zorvane::ui
