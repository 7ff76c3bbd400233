#pragma once

#include <map>
#include <vector>

#include "ui/run_control_look.h"

class QAbstractButton;
class QWidget;

namespace zorvane::ui {

// The window's controls as the run control's look sees them: each group is
// a set of widgets, and the start/pause button's meaning is its caption.
class WidgetPanel final : public RunControlView
{
public:
    WidgetPanel(std::map<ControlGroup, std::vector<QWidget*>> groups, QAbstractButton* startPause)
        : m_groups(std::move(groups)), m_startPause(startPause)
    {
    }

    void setUsable(ControlGroup group, bool usable) override;
    void setStartMeaning(StartMeaning meaning) override;

private:
    std::map<ControlGroup, std::vector<QWidget*>> m_groups;
    QAbstractButton* m_startPause;
};

} // namespace zorvane::ui
