#include "ui/price_chart.h"

#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsLayout>
#include <QMouseEvent>
#include <QValueAxis>

#include <algorithm>

namespace zorvane::ui {

namespace {

QString priceLabel(double price)
{
    return QString::number(price, 'f', price == static_cast<double>(static_cast<long long>(price)) ? 0 : 2);
}

} // namespace

PriceChart::PriceChart(QWidget* parent) : QChartView(parent)
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    auto* series = new QBarSeries;
    series->setBarWidth(1.0); // bars touch, as a histogram's do
    m_bars = new QBarSet(QString());
    m_bars->setColor(QColor(70, 130, 180));
    m_bars->setBorderColor(QColor(70, 130, 180).darker(130));
    m_bars->setSelectedColor(QColor(230, 120, 40));
    series->append(m_bars);
    chart->addSeries(series);
    m_axisX = new QValueAxis;
    m_axisY = new QValueAxis;
    for (QValueAxis* axis : {m_axisX, m_axisY}) {
        axis->setLabelsVisible(false);
        axis->setGridLineVisible(false);
        axis->setTickCount(2);
    }
    chart->addAxis(m_axisX, Qt::AlignBottom);
    chart->addAxis(m_axisY, Qt::AlignLeft);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
    // The view lets go of the chart it started with: it is ours to delete.
    QChart* first = this->chart();
    setChart(chart);
    delete first;
    setFrameShape(QFrame::StyledPanel);
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::NoRubberBand);
    setToolTip(QString::fromUtf8("拖过柱子选价格范围"));
    showPrices({});
}

void PriceChart::showPrices(const std::vector<double>& prices)
{
    m_histogram = binPrices(prices);
    QList<qreal> counts;
    counts.reserve(static_cast<qsizetype>(m_histogram.counts.size()));
    std::int64_t most = 0;
    for (std::int64_t n : m_histogram.counts) {
        counts.push_back(static_cast<qreal>(n));
        most = std::max(most, n);
    }
    m_bars->deselectAllBars();
    m_bars->remove(0, m_bars->count());
    m_bars->append(counts);
    const int bars = static_cast<int>(counts.size());
    m_axisX->setRange(-0.5, std::max(bars, 1) - 0.5);
    m_axisY->setRange(0, static_cast<qreal>(std::max<std::int64_t>(most, 1)));
    // Nothing to draw: an empty frame, no white plot with a lone axis line.
    chart()->setBackgroundVisible(bars > 0);
    m_axisX->setVisible(bars > 0);
    m_axisY->setVisible(bars > 0);
    chart()->setTitle(bars == 0 ? QString()
                                : QString::fromUtf8("¥%1 – ¥%2")
                                      .arg(priceLabel(m_histogram.lowestPrice(0)),
                                           priceLabel(m_histogram.highestPrice(bars - 1))));
}

int PriceChart::barAt(const QPoint& point) const
{
    const int bars = static_cast<int>(m_histogram.counts.size());
    if (bars == 0)
        return -1;
    const QPointF value = chart()->mapToValue(mapToScene(point));
    return std::clamp(static_cast<int>(std::lround(value.x())), 0, bars - 1);
}

void PriceChart::markBars(int from, int to)
{
    m_bars->deselectAllBars();
    QList<int> marked;
    for (int bar = std::min(from, to); bar <= std::max(from, to); ++bar)
        marked.push_back(bar);
    m_bars->selectBars(marked);
}

void PriceChart::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->button() == Qt::LeftButton ? barAt(event->position().toPoint()) : -1;
    if (m_dragFrom >= 0)
        markBars(m_dragFrom, m_dragFrom);
}

void PriceChart::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragFrom >= 0)
        markBars(m_dragFrom, barAt(event->position().toPoint()));
}

void PriceChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragFrom < 0 || event->button() != Qt::LeftButton)
        return;
    const int to = barAt(event->position().toPoint());
    const int first = std::min(m_dragFrom, to);
    const int last = std::max(m_dragFrom, to);
    m_dragFrom = -1;
    markBars(first, last);
    emit rangeChosen(m_histogram.lowestPrice(first), m_histogram.highestPrice(last));
}

} // namespace zorvane::ui
