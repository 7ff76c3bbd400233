#pragma once

class QAbstractItemView;
class QWidget;

namespace zorvane::ui {

// A locked list refuses what would change it or start work from it (clicks,
// ticks, header clicks, editing keys, its context menu) but stays enabled:
// it scrolls by wheel, scroll bar and the navigation keys, and reads as
// usual. Walks, filters and sorts lock the lists instead of disabling them.
void setListLocked(QAbstractItemView* view, bool locked);
bool isListLocked(const QWidget* view);

} // namespace zorvane::ui
