#include "ui/widget_panel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QWidget>

#include "ui/list_lock.h"

namespace zorvane::ui {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::vector<std::string> WidgetPanel::controlNames() const
{
    std::vector<std::string> names;
    for (const QWidget* w : m_window->findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty())
            names.push_back(w->objectName().toStdString());
    }
    return names;
}

QWidget* WidgetPanel::find(std::string_view name) const
{
    return m_window->findChild<QWidget*>(toQString(name));
}

void WidgetPanel::setEnabled(std::string_view name, bool enabled)
{
    // Lists stay readable and scrollable while locked.
    if (auto* list = qobject_cast<QAbstractItemView*>(find(name)))
        setListLocked(list, !enabled);
    else if (QWidget* w = find(name))
        w->setEnabled(enabled);
}

void WidgetPanel::setCaption(std::string_view name, std::string_view caption)
{
    if (auto* button = qobject_cast<QAbstractButton*>(find(name)))
        button->setText(toQString(caption));
}

} // namespace zorvane::ui
