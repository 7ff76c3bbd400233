#pragma once

#include <QChartView>

#include <vector>

#include "goods/price_histogram.h"

class QBarSet;
class QValueAxis;

namespace zorvane::ui {

// A small histogram of the shown goods' prices. Dragging across bars chooses
// a price range: the lowest price of the first bar to the highest of the last.
class PriceChart final : public QChartView
{
    Q_OBJECT

public:
    explicit PriceChart(QWidget* parent = nullptr);

    // Draws the prices in about twenty bars.
    void showPrices(const std::vector<double>& prices);
    const PriceHistogram& histogram() const { return m_histogram; }
    // The bar under a point of the view, -1 when none.
    int barAt(const QPoint& point) const;

signals:
    void rangeChosen(double lowest, double highest);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void markBars(int from, int to);

    PriceHistogram m_histogram;
    QBarSet* m_bars = nullptr;
    QValueAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    int m_dragFrom = -1;
};

} // namespace zorvane::ui
