#pragma once

#include <QAbstractTableModel>

#include <string>
#include <utility>
#include <vector>

#include "core/goods_record.h"

namespace zorvane::ui {

// The goods list's rows. Rows arrive one feedback message at a time; they are
// gathered and inserted in batches, so a view over tens of thousands of rows
// stays responsive.
class GoodsTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // A record's cells: raw texts as stored, and the forms shown.
    struct Row
    {
        std::string name;
        std::string goodsId;
        std::string priceText; // "%.13g", as the export writes it
        std::string tagText;
        std::string shownName; // displayText(name)
        std::string shownTags; // displayText(tagText)
        std::string change;    // against earlier walks: "新", "降¥x.xx", "涨¥x.xx" or ""
        double price = 0;
    };

    explicit GoodsTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Queues a row; it shows at the next flush (at the latest when the event
    // loop runs again).
    void appendRecord(const GoodsRecord& record);
    void flush();
    void clear();
    // Sets the 变化 of rows (pending ones included), given as row and text;
    // rows out of range are passed over.
    void setChanges(const std::vector<std::pair<int, std::string>>& changes);
    // All rows, pending ones included.
    int totalRows() const { return static_cast<int>(m_rows.size() + m_pending.size()); }
    const Row* rowAt(int row) const;
    // The prices of the rows shown, in row order.
    std::vector<double> shownPrices() const;

    static constexpr int kNameColumn = 0;
    static constexpr int kPriceColumn = 2;
    static constexpr int kChangeColumn = 4;
    static constexpr int kColumns = 5;
    static constexpr int kFlushDelayMs = 40;

private:
    static Qt::Alignment alignment(int column);
    static QString cellText(const Row& row, int column);

    std::vector<Row> m_rows;
    std::vector<Row> m_pending;
    bool m_flushScheduled = false;
};

} // namespace zorvane::ui
