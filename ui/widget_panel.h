#pragma once

#include "search/search_thread.h"
#include "ui/run_control_look.h"

class QWidget;

namespace zorvane::ui {

// The window's controls as the run control sees them: each group is a set of
// widgets found by objectName, and the start/pause button's meaning is its
// caption.
class WidgetPanel final : public RunControlView
{
public:
    explicit WidgetPanel(QWidget* window) : m_window(window) {}

    void setUsable(ControlGroup group, bool usable) override;
    void setStartMeaning(StartMeaning meaning) override;

    // The input box a refused start names; nullptr for none.
    QWidget* inputBox(InputField field) const;

private:
    QWidget* find(const char* name) const;
    QWidget* m_window;
};

} // namespace zorvane::ui
