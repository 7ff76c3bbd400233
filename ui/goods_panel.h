#pragma once

#include <QList>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/app_state.h"
#include "core/filter_criteria.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTreeWidget;
class QWidget;

namespace zorvane::ui {

class GoodsTableModel;
class PriceChart;
class YieldingColumn;

// The goods panel's widgets, made once by the panel.
struct GoodsWidgets
{
    GoodsTableModel* model = nullptr;
    QTableView* view = nullptr;
    QTreeWidget* tagList = nullptr;
    PriceChart* chart = nullptr;
    QLineEdit* minPrice = nullptr;
    QLineEdit* maxPrice = nullptr;
    QCheckBox* onlyNewOrCheaper = nullptr;
    QPushButton* filter = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* basket = nullptr;
    QPushButton* clear = nullptr;
};

// The goods as the window shows them: the goods list and the tag list, the
// price bounds and the price chart over the goods shown, the direction of
// the sort, and what was gathered against what was exported. The store's
// records stay in the core; the panel holds what only the window needs.
class GoodsPanel final : public QObject
{
    Q_OBJECT

public:
    GoodsPanel(std::shared_ptr<AppState> state, QObject* parent);

    // Fill the tag group and the goods group with the panel's widgets.
    void buildTagGroup(QWidget* group);
    void buildGoodsGroup(QWidget* group);

    const GoodsWidgets& widgets() const { return m_w; }

    // Goods arrival: the store's record n, from a walk or from the history.
    void showNewGoods(GoodsRecord record, std::int64_t n, bool fromWalk);
    // The 变化 the history found for stored records of the running walk.
    void showChanges(const std::vector<StoredChange>& changes);
    // Adds a row for a record that passes the filter.
    void addGoodsRow(const GoodsRecord& record);

    // Empties the store and the lists; the tags and the sort direction are forgotten.
    void clear();

    // The tag list's ticks, the price bounds and the 只看新品和降价 box.
    FilterCriteria filterCriteria() const;
    // The sort about to run: its direction turned round from the last one's.
    bool turnSortDirection();
    // The header's mark: the direction of the last sort, shown once one ran.
    void showSortDirection();
    void refreshPriceChart();

    // Export bookkeeping: every new record counts; an export that succeeds
    // covers what was counted when it started.
    std::int64_t storeCount() const { return m_storeCount; }
    bool hasUnexported() const { return m_storeCount > 0 && m_gathered != m_exported; }
    void exportStarting() { m_exportStarted = m_gathered; }
    void exportSucceeded() { m_exported = m_exportStarted; }

    // The four columns' widths as the user made them (the name column not as
    // a narrow window squeezes it).
    QList<int> columnWidths() const;
    void setColumnWidths(const QList<int>& widths);

signals:
    // The store's count after a new record.
    void goodsCounted(std::int64_t count);
    // A plain left click on a row: the row under the mouse, which the
    // selection does not yet name when the click narrows a wider one.
    void rowClicked(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Adds the tags the tag list does not show yet, in the order given.
    void addTags(const std::vector<std::string>& tags);
    void showPriceRange(double lowest, double highest);

    std::shared_ptr<AppState> m_state;
    GoodsWidgets m_w;
    YieldingColumn* m_nameColumn = nullptr;
    std::unordered_set<std::string> m_knownTags; // the tags the tag list shows
    bool m_sorted = false;                       // a sort ran since the goods were last cleared
    bool m_sortAscending = false;                // the direction of the current or last sort
    std::int64_t m_storeCount = 0;
    std::int64_t m_gathered = 0;
    std::int64_t m_exportStarted = 0;
    std::int64_t m_exported = 0;
};

} // namespace zorvane::ui
