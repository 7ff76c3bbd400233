#include "ui/widget_make.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace zorvane::ui {

QLabel* label(QWidget* parent, const char* name, const char* text)
{
    auto* l = named<QLabel>(parent, name);
    l->setText(u8(text));
    l->setAutoFillBackground(false); // a transparent label
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = named<QPushButton>(parent, name);
    b->setText(u8(caption));
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const char* text)
{
    auto* e = named<QLineEdit>(parent, name);
    e->setText(u8(text));
    e->setAlignment(Qt::AlignCenter);
    return e;
}

QLineEdit* numberBox(QWidget* parent, const char* name, const char* text, InputMode::Kind kind)
{
    QLineEdit* box = lineEdit(parent, name, text);
    InputMode::install(box, kind);
    if (kind == InputMode::Kind::Integer)
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(u8("00000000")) + 12);
    else
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(u8("0000")) + 12);
    return box;
}

QPlainTextEdit* textEdit(QWidget* parent, const char* name)
{
    auto* e = named<QPlainTextEdit>(parent, name);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return e;
}

QString requestText(const QPlainTextEdit* box)
{
    return box->toPlainText().replace(u8("\n"), u8("\r\n"));
}

int listHeight(QTreeWidget* list, int rows)
{
    auto* probe = new QTreeWidgetItem(list, {u8("满2件9折")});
    probe->setCheckState(0, Qt::Unchecked);
    const int row = list->sizeHintForRow(0);
    delete probe;
    return list->header()->sizeHint().height() + rows * row + 2 * list->frameWidth();
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption)
{
    auto* g = named<QGroupBox>(parent, name);
    g->setTitle(u8(caption));
    return g;
}

TopEdgeButtons::TopEdgeButtons(QGroupBox* box, QList<QPushButton*> buttons)
    : QObject(box), m_buttons(std::move(buttons))
{
    box->installEventFilter(this);
}

bool TopEdgeButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
        auto* box = static_cast<QWidget*>(watched);
        int right = box->width() - 8;
        for (QPushButton* b : m_buttons) {
            const int h = b->fontMetrics().height() + 4;
            const int w = b->sizeHint().width();
            right -= w;
            b->setGeometry(right, 0, w, h);
            b->raise();
            right -= 4;
        }
    }
    return false;
}

} // namespace zorvane::ui
