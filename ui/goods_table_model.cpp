#include "ui/goods_table_model.h"

#include <QColor>
#include <QTimer>

#include <algorithm>

#include "base/numbers.h"
#include "goods/display_text.h"
#include "ui/tooltip_text.h"

namespace zorvane::ui {

namespace {

const char* const kTitles[] = {"名称", "商品ID", "价格", "商品标签", "变化"};

// Red for dearer and green for cheaper, as price boards in China show them.
QVariant changeColour(const std::string& change)
{
    if (change.starts_with("降"))
        return QColor(0, 140, 60);
    if (change.starts_with("涨"))
        return QColor(200, 30, 30);
    return change.empty() ? QVariant() : QVariant(QColor(30, 90, 200));
}

} // namespace

GoodsTableModel::GoodsTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int GoodsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GoodsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant GoodsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(alignment(index.column()));
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole && index.column() == kChangeColumn)
        return changeColour(row.change);
    // The tooltip shows the whole text, however wide the column.
    if (role == Qt::ToolTipRole)
        return plainToolTip(cellText(row, index.column()));
    if (role != Qt::DisplayRole)
        return {};
    return cellText(row, index.column());
}

QString GoodsTableModel::cellText(const Row& row, int column)
{
    switch (column) {
    case kNameColumn:
        return QString::fromStdString(row.shownName);
    case 1:
        return QString::fromStdString(row.goodsId);
    case kPriceColumn:
        return QString::fromStdString(row.priceText);
    case 3:
        return QString::fromStdString(row.shownTags);
    case kChangeColumn:
        return QString::fromStdString(row.change);
    default:
        return {};
    }
}

Qt::Alignment GoodsTableModel::alignment(int column)
{
    if (column == kNameColumn)
        return Qt::AlignLeft | Qt::AlignVCenter;
    if (column == kPriceColumn)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignCenter;
}

QVariant GoodsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return int(section == kNameColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    return {};
}

void GoodsTableModel::appendRecord(const GoodsRecord& record)
{
    m_pending.push_back({record.name, record.goodsId, formatNumber(record.price), record.tagText,
                         displayText(record.name), displayText(record.tagText), record.change, record.price});
    if (!m_flushScheduled) {
        m_flushScheduled = true;
        // Rows arrive one blocking message at a time, so a zero timer would
        // fire between any two of them; a short delay gathers a real batch.
        QTimer::singleShot(kFlushDelayMs, this, &GoodsTableModel::flush);
    }
}

void GoodsTableModel::flush()
{
    m_flushScheduled = false;
    if (m_pending.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(m_pending.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(m_pending.begin()),
                  std::make_move_iterator(m_pending.end()));
    m_pending.clear();
    endInsertRows();
}

void GoodsTableModel::setChanges(const std::vector<std::pair<int, std::string>>& changes)
{
    const int shown = static_cast<int>(m_rows.size());
    int first = shown;
    int last = -1;
    for (const auto& [row, change] : changes) {
        if (row < 0 || row >= totalRows())
            continue;
        if (row < shown) {
            m_rows[static_cast<std::size_t>(row)].change = change;
            first = std::min(first, row);
            last = std::max(last, row);
        } else {
            m_pending[static_cast<std::size_t>(row - shown)].change = change;
        }
    }
    // One signal for the batch: the view repaints the column's cells once.
    if (last >= first)
        emit dataChanged(index(first, kChangeColumn), index(last, kChangeColumn));
}

void GoodsTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_pending.clear();
    endResetModel();
}

const GoodsTableModel::Row* GoodsTableModel::rowAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return nullptr;
    return &m_rows[static_cast<std::size_t>(row)];
}

std::vector<double> GoodsTableModel::shownPrices() const
{
    std::vector<double> prices;
    prices.reserve(m_rows.size());
    for (const Row& row : m_rows)
        prices.push_back(row.price);
    return prices;
}

} // namespace zorvane::ui
