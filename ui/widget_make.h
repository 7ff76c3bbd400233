#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

#include "ui/input_modes.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// Small makers of the window's named widgets, shared by the window and its
// panels.
namespace zorvane::ui {

inline QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

template <typename T> T* named(QWidget* parent, const char* name)
{
    auto* widget = new T(parent);
    widget->setObjectName(u8(name));
    return widget;
}

// A transparent label.
QLabel* label(QWidget* parent, const char* name, const char* text);
QPushButton* button(QWidget* parent, const char* name, const char* caption);
QLineEdit* lineEdit(QWidget* parent, const char* name, const char* text);
// A line edit that takes numbers of the kind only, as wide as they need.
QLineEdit* numberBox(QWidget* parent, const char* name, const char* text, InputMode::Kind kind);
QPlainTextEdit* textEdit(QWidget* parent, const char* name);
QGroupBox* group(QWidget* parent, const char* name, const char* caption);

// A multi-line box's text with CR LF line ends, as the settings and the
// requests use; the box shows LF.
QString requestText(const QPlainTextEdit* box);

// The height a list needs to show its header and `rows` rows of checkable text.
int listHeight(QTreeWidget* list, int rows);

// Keeps a group box's buttons on its top edge, at the right, as the box
// resizes: they belong to the box without costing a row of their own.
class TopEdgeButtons final : public QObject
{
public:
    TopEdgeButtons(QGroupBox* box, QList<QPushButton*> buttons);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPushButton*> m_buttons;
};

} // namespace zorvane::ui
