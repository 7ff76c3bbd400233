#include "ui/widget_panel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QWidget>

#include <vector>

#include "ui/list_lock.h"

namespace zorvane::ui {

namespace {

std::vector<const char*> widgetsOf(ControlGroup group)
{
    switch (group) {
    case ControlGroup::Inputs:
        return {"编辑框_参数_地址",   "编辑框_参数_间隔", "编辑框_参数_页数", "编辑框_参数_附加协议头",
                "编辑框_参数_COOKIE", "按钮_清空商品",    "按钮_导入Cookie"};
    case ControlGroup::Goods:
        return {"超级列表框_商品列表"};
    case ControlGroup::TagFilter:
        return {"超级列表框_商品标签", "编辑框_价格min", "编辑框_价格max", "按钮_筛选",
                "选择框_只看新品和降价"};
    case ControlGroup::Export:
        return {"按钮_导出"};
    case ControlGroup::StartPause:
        return {"按钮_控制_开始2暂停"};
    case ControlGroup::Stop:
        return {"按钮_控制_停止"};
    }
    return {};
}

} // namespace

QWidget* WidgetPanel::find(const char* name) const
{
    return m_window->findChild<QWidget*>(QString::fromUtf8(name));
}

void WidgetPanel::setUsable(ControlGroup group, bool usable)
{
    for (const char* name : widgetsOf(group)) {
        // Lists stay readable and scrollable while locked.
        if (auto* list = qobject_cast<QAbstractItemView*>(find(name)))
            setListLocked(list, !usable);
        else if (QWidget* w = find(name))
            w->setEnabled(usable);
    }
}

void WidgetPanel::setStartMeaning(StartMeaning meaning)
{
    if (auto* button = qobject_cast<QAbstractButton*>(find("按钮_控制_开始2暂停")))
        button->setText(QString::fromUtf8(meaning == StartMeaning::Start ? "开始" : "暂停"));
}

QWidget* WidgetPanel::inputBox(InputField field) const
{
    switch (field) {
    case InputField::Address:
        return find("编辑框_参数_地址");
    case InputField::Interval:
        return find("编辑框_参数_间隔");
    case InputField::PageLimit:
        return find("编辑框_参数_页数");
    case InputField::None:
        break;
    }
    return nullptr;
}

} // namespace zorvane::ui
