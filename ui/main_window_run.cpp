// Run control: the start/pause and stop buttons drive the core's run control;
// starting a walk reads the input boxes.
#include "ui/main_window.h"

#include <mutex>
#include <system_error>

#include "core/run_control.h"
#include "search/search_thread.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/widget_panel.h"

namespace zorvane::ui {

void MainWindow::startPause()
{
    const bool wasRunning = m_state->searchRunning.load() != 0;
    WidgetPanel panel(this);
    zorvane::startPause(*m_state, panel, [this] { return startSearch(); });
    if (wasRunning)
        showWalkState(StatusPanel::WalkState::Pausing);
    else if (m_state->searchRunning.load() != 0)
        showWalkState(StatusPanel::WalkState::Searching);
}

void MainWindow::stopCommand()
{
    const bool wasRunning = m_state->searchRunning.load() != 0;
    WidgetPanel panel(this);
    zorvane::stopCommand(*m_state, panel);
    showWalkState(wasRunning ? StatusPanel::WalkState::Stopping : StatusPanel::WalkState::Idle);
}

void MainWindow::onSearchEnded()
{
    m_goodsModel->flush();
    const bool stopped = m_state->stopRequested.load() != 0;
    WidgetPanel panel(this);
    searchEnded(*m_state, panel);
    showWalkState(stopped ? StatusPanel::WalkState::Idle : StatusPanel::WalkState::Paused);
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
    {
        std::lock_guard guard(*m_state->paramsLock);
        noteSearchStart(m_state->searchParams.nextPageAddress.empty(), m_state->searchParams.pageLimit);
    }
    recordWalkStart(); // history glue: before the thread can change the position
    try {
        // The thread holds the state and the sink itself: it may outlive the window.
        m_state->searchThread =
            std::thread([state = m_state, sink = m_sink] { searchThreadMain(*state, *sink); });
    } catch (const std::system_error&) {
        recordWalkEnd(); // history glue
        logAndTell(QString::fromUtf8("启动搜索线程失败"), QMessageBox::NoIcon);
        return false;
    }
    return true;
}

} // namespace zorvane::ui
