#pragma once

#include "core/run_control.h"

class QWidget;

namespace zorvane::ui {

// The window's controls as the run control sees them: found by objectName.
class WidgetPanel final : public ControlPanel
{
public:
    explicit WidgetPanel(QWidget* window) : m_window(window) {}

    std::vector<std::string> controlNames() const override;
    void setEnabled(std::string_view name, bool enabled) override;
    void setCaption(std::string_view name, std::string_view caption) override;

private:
    QWidget* find(std::string_view name) const;
    QWidget* m_window;
};

} // namespace zorvane::ui
