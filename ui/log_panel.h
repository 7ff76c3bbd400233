#pragma once

#include <QObject>

#include <string>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace zorvane::ui {

// The log box and its clear button: the log pump's lines are appended at
// the end, and the box keeps a bounded number of them.
class LogPanel final : public QObject
{
    Q_OBJECT

public:
    explicit LogPanel(QObject* parent) : QObject(parent) {}

    // Fills the log group box with the panel's widgets.
    void build(QWidget* group);

    QPlainTextEdit* box() const { return m_box; }

    // Appends text as it came from the log (CR LF line ends).
    void append(const std::string& text);
    // Clears the box once the user confirms.
    void clear();

private:
    QPlainTextEdit* m_box = nullptr;
    QPushButton* m_clear = nullptr;
};

} // namespace zorvane::ui
