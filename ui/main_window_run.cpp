// Run control: start, pause, resume and stop of the search walk.
#include "ui/main_window.h"

#include <QLineEdit>
#include <QPushButton>

#include <system_error>

#include "core/log.h"
#include "search/search_thread.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"

namespace zorvane::ui {

namespace {

const char* const kLockedKinds[] = {"按钮", "组合框", "编辑框", "单选框", "选择框", "日期框", "超级列表框"};
const char* const kLockExceptions = "|按钮_日志_清空|编辑框_日志|按钮_控制_开始2暂停|按钮_控制_停止|";

} // namespace

void MainWindow::setControlsLocked(bool lock, const QString& extraExceptions)
{
    const QString exceptions = extraExceptions + QString::fromUtf8(kLockExceptions);
    const auto widgets = findChildren<QWidget*>();
    for (const char* kind : kLockedKinds) {
        const QString prefix = QString::fromUtf8(kind) + u'_';
        for (QWidget* w : widgets) {
            const QString name = w->objectName();
            if (!name.startsWith(prefix) || exceptions.contains(name + u'|'))
                continue;
            w->setEnabled(!lock);
        }
    }
    m_stop->setEnabled(lock);
}

void MainWindow::startPause()
{
    m_startPause->setEnabled(false);
    if (m_state->searchRunning.exchange(1) == 0) {
        setControlsLocked(true);
        m_state->stopRequested = 1;
        m_startPause->setText(QString::fromUtf8("暂停"));
        if (startSearch()) {
            m_startPause->setEnabled(true);
            appendLog(*m_state, "开始成功");
        } else {
            m_startPause->setText(QString::fromUtf8("开始"));
            m_startPause->setEnabled(true);
            setControlsLocked(false);
            m_state->searchRunning = 0;
            appendLog(*m_state, "开始失败");
        }
        return;
    }
    appendLog(*m_state, "正在暂停。。。");
    m_stop->setEnabled(false);
    m_startPause->setEnabled(false);
    m_state->stopRequested = 0;
    m_state->stopEvent.set();
}

void MainWindow::stopCommand()
{
    if (m_state->searchRunning.load() != 0) {
        appendLog(*m_state, "正在停止。。。");
        m_stop->setEnabled(false);
        m_startPause->setEnabled(false);
        m_state->stopRequested = 1;
        m_state->stopEvent.set();
        return;
    }
    {
        std::lock_guard guard(*m_state->paramsLock);
        m_state->searchParams.nextPageAddress.clear();
    }
    setControlsLocked(false);
    appendLog(*m_state, "已停止");
}

bool MainWindow::startSearch()
{
    SearchInput typed;
    typed.address = editText(QString::fromUtf8("编辑框_参数_地址")).toStdString();
    typed.interval = editText(QString::fromUtf8("编辑框_参数_间隔")).toStdString();
    typed.pageLimit = editText(QString::fromUtf8("编辑框_参数_页数")).toStdString();
    typed.extraHeaders = editText(QString::fromUtf8("编辑框_参数_附加协议头")).toStdString();
    typed.cookie = editText(QString::fromUtf8("编辑框_参数_COOKIE")).toStdString();
    SearchStart start = prepareSearchStart(*m_state, typed);
    if (!start.accepted) {
        if (!start.control.empty()) {
            if (auto* box = findChild<QWidget*>(QString::fromStdString(start.control)))
                box->setFocus();
            logAndTell(QString::fromStdString(start.message), QMessageBox::Warning);
        }
        return false;
    }
    try {
        m_state->searchThread =
            std::thread([state = m_state, sink = m_sink] { searchThreadMain(*state, *sink); });
    } catch (const std::system_error&) {
        logAndTell(QString::fromUtf8("启动搜索线程失败"), QMessageBox::NoIcon);
        return false;
    }
    return true;
}

void MainWindow::onSearchEnded()
{
    closeThreadHandle(*m_state, m_state->searchThread);
    m_state->stopEvent.reset();
    m_startPause->setText(QString::fromUtf8("开始"));
    m_startPause->setEnabled(true);
    const bool stopped = m_state->stopRequested.load() != 0;
    if (stopped) {
        {
            std::lock_guard guard(*m_state->paramsLock);
            m_state->searchParams.nextPageAddress.clear();
        }
        setControlsLocked(false);
    } else {
        m_stop->setEnabled(true);
        for (const char* name : {"超级列表框_商品列表", "超级列表框_商品标签", "编辑框_价格min",
                                 "编辑框_价格max", "按钮_筛选"}) {
            if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
                w->setEnabled(true);
        }
    }
    m_state->searchRunning = 0;
    appendLog(*m_state, stopped ? "已停止" : "已暂停");
}

} // namespace zorvane::ui
