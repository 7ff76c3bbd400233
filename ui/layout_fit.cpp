#include "ui/layout_fit.h"

#include <QBoxLayout>
#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace zorvane::ui {

OptionalPartRoom::OptionalPartRoom(QWidget* box, QBoxLayout* rows, QWidget* part, int minHeight,
                                   int maxHeight)
    : QObject(box), m_box(box), m_rows(rows), m_part(part), m_minHeight(minHeight), m_maxHeight(maxHeight)
{
    part->setSizePolicy(part->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    part->hide();
    box->installEventFilter(this);
}

bool OptionalPartRoom::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        fit();
    return false;
}

void OptionalPartRoom::fit()
{
    // What the other parts need, the part's own row taken out.
    const int partRow = m_part->isHidden() ? 0 : m_part->minimumHeight() + m_rows->spacing();
    const int others = m_rows->minimumSize().height() - partRow;
    // The box's minimum is the others' alone (with the box's own title and
    // frame): set explicitly, the layout keeps it.
    const int inside = m_box->contentsRect().height();
    const int minimum = others + m_box->height() - inside;
    if (m_box->minimumHeight() != minimum)
        m_box->setMinimumHeight(minimum);
    // The others keep their minimum until the part has its most.
    const int room = std::min(inside - others - m_rows->spacing(), m_maxHeight);
    if (room < m_minHeight) {
        m_part->hide();
        return;
    }
    m_part->setFixedHeight(room);
    m_part->show();
}

YieldingColumn::YieldingColumn(QTableView* view, int column, int floorWidth, int lastColumnWidth)
    : QObject(view), m_view(view), m_column(column), m_floor(floorWidth), m_lastWidth(lastColumnWidth),
      m_wanted(view->columnWidth(column)), m_viewport(view->viewport())
{
    QHeaderView* header = view->horizontalHeader();
    // The stretched last column is never narrower than it was when last sized.
    header->resizeSection(header->count() - 1, lastColumnWidth);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int logical, int, int newWidth) { noteResized(logical, newWidth); });
    m_viewport->installEventFilter(this);
}

bool YieldingColumn::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport also reports while the view is being destroyed, when the
    // view can no longer be asked for anything: compare with the one kept.
    if (watched == m_viewport && event->type() == QEvent::Resize)
        fit();
    return false;
}

void YieldingColumn::noteResized(int column, int newWidth)
{
    if (m_fitting)
        return;
    if (column == m_column)
        m_wanted = newWidth;
    fit();
}

void YieldingColumn::fit()
{
    QHeaderView* header = m_view->horizontalHeader();
    int others = 0;
    for (int c = 0; c + 1 < header->count(); ++c) {
        if (c != m_column)
            others += header->sectionSize(c);
    }
    const int room = m_view->viewport()->width() - others - m_lastWidth;
    const int width = std::clamp(room, std::min(m_floor, m_wanted), m_wanted);
    if (width == header->sectionSize(m_column))
        return;
    m_fitting = true;
    header->resizeSection(m_column, width);
    m_fitting = false;
}

} // namespace zorvane::ui
