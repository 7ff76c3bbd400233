// Run control: the start/pause and stop buttons drive the core's walk
// session; starting a walk reads the input boxes.
#include "ui/main_window.h"

#include "core/walk_session.h"
#include "search/search_thread.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/widget_panel.h"

namespace zorvane::ui {

void MainWindow::startPause()
{
    WidgetPanel panel(this);
    m_state->walk.startPause(&panel, [this] { return startSearch(); });
    showWalkState();
    // Only now are the inputs usable again: a disabled box takes no focus.
    if (m_refusedBox) {
        m_refusedBox->setFocus();
        m_refusedBox = nullptr;
    }
}

void MainWindow::stopCommand()
{
    WidgetPanel panel(this);
    m_state->walk.stop(&panel);
    showWalkState();
}

void MainWindow::onSearchEnded()
{
    m_goodsModel->flush();
    m_state->workers.release(Worker::Search);
    WidgetPanel panel(this);
    m_state->walk.ended(&panel);
    showWalkState();
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
        if (start.field != InputField::None) {
            m_refusedBox = WidgetPanel(this).inputBox(start.field);
            logAndTell(QString::fromStdString(start.message), QMessageBox::Warning);
        }
        return false;
    }
    {
        const SearchParams params = m_state->position.copy();
        noteSearchStart(params.nextPageAddress.empty(), params.pageLimit);
    }
    recordWalkStart(); // history glue: before the thread can change the position
    // The thread holds the state and the sink itself: it may outlive the window.
    if (!m_state->workers.start(Worker::Search,
                                [state = m_state, sink = m_sink] { searchThreadMain(*state, *sink); })) {
        recordWalkEnd(); // history glue
        logAndTell(QString::fromUtf8("启动搜索线程失败"), QMessageBox::NoIcon);
        return false;
    }
    return true;
}

} // namespace zorvane::ui
