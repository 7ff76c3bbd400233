#include "ui/log_panel.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/text.h"
#include "ui/dialogs.h"
#include "ui/widget_make.h"
#include "ui/widget_names.h"

namespace zorvane::ui {

namespace {

// The log box keeps this many lines; older ones scroll away for good.
constexpr int kLogLines = 10000;

} // namespace

void LogPanel::build(QWidget* g)
{
    m_box = textEdit(g, widget_names::kLog);
    m_box->setReadOnly(true);
    // One block per line, plus the empty block after the last line break.
    m_box->setMaximumBlockCount(kLogLines + 1);
    m_box->setMinimumHeight(48);
    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(m_box);
    m_clear = button(g, widget_names::kClearLog, "清空");
    new TopEdgeButtons(static_cast<QGroupBox*>(g), {m_clear});
    connect(m_clear, &QPushButton::clicked, this, &LogPanel::clear);
}

void LogPanel::append(const std::string& text)
{
    QTextCursor cursor = m_box->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(replaceAll(text, "\r\n", "\n")));
    m_box->setTextCursor(cursor);
    m_box->ensureCursorVisible();
}

void LogPanel::clear()
{
    if (Dialogs::message(m_box->window(), QMessageBox::Information, QString::fromUtf8("提示"),
                         QString::fromUtf8("确认清除日志？"),
                         QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    m_box->clear();
}

} // namespace zorvane::ui
