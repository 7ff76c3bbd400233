#include "ui/list_lock.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <QTreeView>

namespace zorvane::ui {

namespace {

constexpr char kLockedProperty[] = "zorvaneListLocked";
constexpr char kFilterProperty[] = "zorvaneListLockFilter";

bool isNavigationKey(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return key->matches(QKeySequence::Copy);
    }
}

// Installed on a list and the viewports that take its mouse events.
class LockFilter final : public QObject
{
public:
    explicit LockFilter(QAbstractItemView* view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!isListLocked(m_view))
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
            return true;
        case QEvent::KeyPress:
            return !isNavigationKey(static_cast<QKeyEvent*>(event));
        default:
            return false;
        }
    }

private:
    QAbstractItemView* m_view;
};

QHeaderView* headerOf(QAbstractItemView* view)
{
    if (auto* table = qobject_cast<QTableView*>(view))
        return table->horizontalHeader();
    if (auto* tree = qobject_cast<QTreeView*>(view))
        return tree->header();
    return nullptr;
}

void installOnce(QAbstractItemView* view)
{
    if (view->property(kFilterProperty).toBool())
        return;
    view->setProperty(kFilterProperty, true);
    auto* filter = new LockFilter(view);
    view->installEventFilter(filter);
    view->viewport()->installEventFilter(filter);
    if (QHeaderView* header = headerOf(view))
        header->viewport()->installEventFilter(filter);
}

} // namespace

void setListLocked(QAbstractItemView* view, bool locked)
{
    installOnce(view);
    view->setProperty(kLockedProperty, locked);
}

bool isListLocked(const QWidget* view)
{
    return view->property(kLockedProperty).toBool();
}

} // namespace zorvane::ui
