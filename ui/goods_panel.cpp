// The goods panel's widgets and the goods' arrival in them.
#include "ui/goods_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "base/numbers.h"
#include "goods/display_text.h"
#include "goods/filter.h"
#include "ui/goods_table_model.h"
#include "ui/layout_fit.h"
#include "ui/price_chart.h"
#include "ui/tooltip_text.h"
#include "ui/widget_make.h"
#include "ui/widget_names.h"

namespace zorvane::ui {

namespace names = widget_names;

namespace {

// The tag list shows at least this many rows, however short the window.
constexpr int kTagRowsAlwaysShown = 5;

QString priceBoundText(double price)
{
    return QString::fromStdString(formatNumber(price));
}

} // namespace

GoodsPanel::GoodsPanel(std::shared_ptr<AppState> state, QObject* parent)
    : QObject(parent), m_state(std::move(state))
{
}

void GoodsPanel::buildTagGroup(QWidget* g)
{
    m_w.tagList = named<QTreeWidget>(g, names::kTagList);
    m_w.tagList->setColumnCount(1);
    m_w.tagList->setHeaderLabels({u8("商品标签")});
    m_w.tagList->header()->setSectionsClickable(false);
    m_w.tagList->header()->setStretchLastSection(false);
    m_w.tagList->setColumnWidth(0, 170);
    m_w.tagList->setRootIsDecorated(false);
    m_w.tagList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_w.tagList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_w.tagList->setMinimumHeight(listHeight(m_w.tagList, kTagRowsAlwaysShown));

    auto* price = new QHBoxLayout;
    price->addWidget(label(g, names::kPriceLabel, "价格："));
    m_w.minPrice = numberBox(g, names::kMinPrice, "", InputMode::Kind::Decimal);
    price->addWidget(m_w.minPrice, 1);
    price->addWidget(label(g, names::kPriceDash, "~"));
    m_w.maxPrice = numberBox(g, names::kMaxPrice, "", InputMode::Kind::Decimal);
    price->addWidget(m_w.maxPrice, 1);
    m_w.filter = button(g, names::kFilter, "筛选");
    m_w.filter->setMinimumHeight(28);
    m_w.chart = named<PriceChart>(g, names::kPriceChart);
    m_w.onlyNewOrCheaper = named<QCheckBox>(g, names::kOnlyNewOrCheaper);
    m_w.onlyNewOrCheaper->setText(u8("只看新品和降价"));
    auto* run = new QHBoxLayout;
    run->addWidget(m_w.onlyNewOrCheaper, 1);
    run->addWidget(m_w.filter);

    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(m_w.tagList, 1);
    rows->addWidget(m_w.chart);
    rows->addLayout(price);
    rows->addLayout(run);
    g->setFixedWidth(216);
    // On a short screen the tags come first; the chart shows when there is room.
    new OptionalPartRoom(g, rows, m_w.chart, 48, 110);
    connect(m_w.chart, &PriceChart::rangeChosen, this, &GoodsPanel::showPriceRange);
}

void GoodsPanel::buildGoodsGroup(QWidget* g)
{
    m_w.model = new GoodsTableModel(this);
    m_w.view = named<QTableView>(g, names::kGoodsList);
    QTableView* view = m_w.view;
    view->setModel(m_w.model);
    view->setShowGrid(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setStretchLastSection(true);
    const int idWidth = view->fontMetrics().horizontalAdvance(u8("0000000000000")) + 24;
    // The tags leave room for the 变化 column, which takes the rest.
    const int widths[] = {280, std::max(80, idWidth), 100, 200};
    for (int c = 0; c < 4; ++c)
        view->setColumnWidth(c, widths[c]);
    view->setMinimumHeight(60);
    view->viewport()->installEventFilter(this);
    // 变化 stays in view on a narrow screen: the name column gives way first.
    const int changeWidth = std::max(header->fontMetrics().horizontalAdvance(u8("变化")) + 28,
                                     view->fontMetrics().horizontalAdvance(u8("涨¥000.00")) + 12);
    m_nameColumn = new YieldingColumn(view, GoodsTableModel::kNameColumn, 120, changeWidth);

    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(view);
    m_w.exportButton = button(g, names::kExport, "导出");
    m_w.basket = button(g, names::kBasket, "凑单");
    m_w.clear = button(g, names::kClearGoods, "清空商品");
    new TopEdgeButtons(static_cast<QGroupBox*>(g), {m_w.exportButton, m_w.basket, m_w.clear});
}

bool GoodsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_w.view->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click below the rows leaves the old selection in place: it opens
        // nothing. Ctrl and Shift clicks only change the selection.
        const QModelIndex under = m_w.view->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier && under.isValid())
            emit rowClicked(under.row());
    }
    return QObject::eventFilter(watched, event);
}

void GoodsPanel::showNewGoods(GoodsRecord record, std::int64_t n, bool fromWalk)
{
    addGoodsRow(record);
    addTags(record.tags);
    m_storeCount = n;
    // Only a walk gathers: goods loaded from the history are already kept there.
    if (fromWalk)
        ++m_gathered;
    emit goodsCounted(n);
}

void GoodsPanel::showChanges(const std::vector<StoredChange>& changes)
{
    // Every record of the running walk has its row, in store order behind
    // the rows listed before it began.
    const std::int64_t rowsBefore = m_storeCount - m_w.model->totalRows();
    std::vector<std::pair<int, std::string>> rows;
    rows.reserve(changes.size());
    for (const StoredChange& change : changes) {
        m_state->goods.setChange(change.count, change.change);
        rows.emplace_back(static_cast<int>(change.count - 1 - rowsBefore), change.change);
    }
    m_w.model->setChanges(rows);
}

void GoodsPanel::addGoodsRow(const GoodsRecord& record)
{
    if (record.passesFilter != 0)
        m_w.model->appendRecord(record);
}

void GoodsPanel::addTags(const std::vector<std::string>& tags)
{
    for (const std::string& tag : tags) {
        if (!m_knownTags.insert(tag).second)
            continue;
        // The row shows the tag's display form; the filter reads the raw tag.
        const QString shown = QString::fromStdString(displayText(tag));
        auto* item = new QTreeWidgetItem(m_w.tagList, {shown});
        item->setData(0, Qt::UserRole, QString::fromStdString(tag));
        item->setToolTip(0, plainToolTip(shown));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

void GoodsPanel::clear()
{
    m_state->goods.clear([this] {
        m_w.model->clear();
        m_w.tagList->clear();
        m_knownTags.clear();
    });
    m_storeCount = 0;
    // Cleared goods cannot be exported any more: closing loses nothing of them.
    m_gathered = m_exportStarted = m_exported = 0;
    m_sorted = false;
    m_sortAscending = false;
    showSortDirection();
    refreshPriceChart();
}

FilterCriteria GoodsPanel::filterCriteria() const
{
    std::vector<std::string> ticked;
    for (int i = 0; i < m_w.tagList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_w.tagList->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            ticked.push_back(item->data(0, Qt::UserRole).toString().toStdString());
    }
    FilterCriteria criteria = makeFilterCriteria(std::move(ticked), m_w.minPrice->text().toStdString(),
                                                 m_w.maxPrice->text().toStdString());
    criteria.onlyNewOrCheaper = m_w.onlyNewOrCheaper->isChecked();
    return criteria;
}

bool GoodsPanel::turnSortDirection()
{
    m_sortAscending = !m_sortAscending;
    m_sorted = true;
    return m_sortAscending;
}

void GoodsPanel::showSortDirection()
{
    QHeaderView* header = m_w.view->horizontalHeader();
    header->setSortIndicatorShown(m_sorted);
    header->setSortIndicator(GoodsTableModel::kPriceColumn,
                             m_sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void GoodsPanel::refreshPriceChart()
{
    m_w.model->flush();
    m_w.chart->showPrices(m_w.model->shownPrices());
}

void GoodsPanel::showPriceRange(double lowest, double highest)
{
    m_w.minPrice->setText(priceBoundText(lowest));
    m_w.maxPrice->setText(priceBoundText(highest));
}

QList<int> GoodsPanel::columnWidths() const
{
    QList<int> widths;
    widths.push_back(m_nameColumn->wantedWidth());
    for (int c = 1; c < 4; ++c)
        widths.push_back(m_w.view->columnWidth(c));
    return widths;
}

void GoodsPanel::setColumnWidths(const QList<int>& widths)
{
    for (int c = 0; c < widths.size(); ++c)
        m_w.view->setColumnWidth(c, widths[c]);
}

} // namespace zorvane::ui
