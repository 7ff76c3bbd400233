#include "ui/widget_panel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QWidget>

#include "ui/list_lock.h"

namespace zorvane::ui {

void WidgetPanel::setUsable(ControlGroup group, bool usable)
{
    for (QWidget* w : m_groups[group]) {
        // Lists stay readable and scrollable while locked.
        if (auto* list = qobject_cast<QAbstractItemView*>(w))
            setListLocked(list, !usable);
        else
            w->setEnabled(usable);
    }
}

void WidgetPanel::setStartMeaning(StartMeaning meaning)
{
    m_startPause->setText(QString::fromUtf8(meaning == StartMeaning::Start ? "开始" : "暂停"));
}

} // namespace zorvane::ui
