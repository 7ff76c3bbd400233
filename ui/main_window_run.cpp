// Run control: the start/pause and stop buttons drive the core's walk
// session; starting a walk reads the input boxes.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include <optional>

#include "core/walk_feedback.h"
#include "core/walk_session.h"
#include "history/walk_recorder.h"
#include "search/search_thread.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/main_window.h"
#include "ui/widget_make.h"
#include "ui/widget_panel.h"

namespace zorvane::ui {

namespace {

// The walk of the search thread: its events go through the history's
// recorder on their way to the window.
void recordedWalk(AppState& state, const WalkJob& job, FeedbackSink& sink, HistoryRecorder& history)
{
    FeedbackWalkObserver window(state.log, sink);
    WalkRecorder recorded(history, window);
    runWalk(state, job, recorded);
}

} // namespace

void MainWindow::startPause()
{
    WidgetPanel panel = widgetPanel();
    RunControlLook look(panel);
    m_state->walk.startPause(&look, [this] { return startSearch(); });
    showWalkState();
    // Only now are the inputs usable again: a disabled box takes no focus.
    if (m_refusedBox) {
        m_refusedBox->setFocus();
        m_refusedBox = nullptr;
    }
}

void MainWindow::stopCommand()
{
    WidgetPanel panel = widgetPanel();
    RunControlLook look(panel);
    m_state->walk.stop(&look);
    showWalkState();
}

WidgetPanel MainWindow::widgetPanel() const
{
    const GoodsWidgets& goods = m_goods->widgets();
    return WidgetPanel(
        {{ControlGroup::Inputs,
          {m_address, m_interval, m_pageLimit, m_extraHeaders, m_cookie, goods.clear, m_importCookies}},
         {ControlGroup::Goods, {goods.view}},
         {ControlGroup::TagFilter,
          {goods.tagList, goods.minPrice, goods.maxPrice, goods.filter, goods.onlyNewOrCheaper}},
         {ControlGroup::Export, {goods.exportButton}},
         {ControlGroup::StartPause, {m_startPause}},
         {ControlGroup::Stop, {m_stop}}},
        m_startPause);
}

QWidget* MainWindow::inputBox(InputField field) const
{
    switch (field) {
    case InputField::Address:
        return m_address;
    case InputField::Interval:
        return m_interval;
    case InputField::PageLimit:
        return m_pageLimit;
    case InputField::None:
        break;
    }
    return nullptr;
}

void MainWindow::onSearchEnded(const WalkEnd& end)
{
    m_walkEnd = end.reason;
    m_goods->widgets().model->flush();
    m_state->workers.release(Worker::Search);
    WidgetPanel panel = widgetPanel();
    RunControlLook look(panel);
    m_state->walk.ended(&look, end.reason);
    showWalkState();
}

StartOutcome MainWindow::startSearch()
{
    SearchInput typed;
    typed.address = m_address->text().toStdString();
    typed.interval = m_interval->text().toStdString();
    typed.pageLimit = m_pageLimit->text().toStdString();
    typed.extraHeaders = requestText(m_extraHeaders).toStdString();
    typed.cookie = requestText(m_cookie).toStdString();
    SearchStart start = prepareSearchStart(*m_state, typed);
    if (!start.accepted) {
        if (start.field != InputField::None) {
            m_refusedBox = inputBox(start.field);
            logAndTell(QString::fromStdString(start.message), QMessageBox::Warning);
        }
        return StartOutcome::Refused;
    }
    const std::optional<EarlierGoods> earlier =
        start.resume ? std::optional(EarlierGoods::Keep) : settleEarlierGoods();
    if (!earlier)
        return StartOutcome::Cancelled;
    noteSearchStart(!start.resume, start.job.params.pageLimit);
    // The thread holds the state, the sink and the recorder itself: it may
    // outlive the window. The earlier goods go only once it runs, and before
    // its walk stores anything: a start that fails keeps them.
    if (!m_state->workers.start(Worker::Search,
                                [state = m_state, sink = m_sink, history = historyRecorder(),
                                 job = std::move(start.job), clear = *earlier == EarlierGoods::Clear] {
                                    if (clear)
                                        sink->send(Feedback{kFeedbackClearGoods, 0, std::nullopt});
                                    recordedWalk(*state, job, *sink, *history);
                                })) {
        logAndTell(QString::fromUtf8("启动搜索线程失败"), QMessageBox::NoIcon);
        return StartOutcome::Refused;
    }
    return StartOutcome::Started;
}

// A fresh walk after an earlier one: its goods would sit above the new walk's,
// still marked as they were then, so the user says whether they go first
// (Clear or Keep). None when the start is cancelled.
std::optional<MainWindow::EarlierGoods> MainWindow::settleEarlierGoods()
{
    if (m_goods->storeCount() == 0)
        return EarlierGoods::Keep;
    EarlierGoods choice = m_earlierGoods;
    if (choice == EarlierGoods::Ask) {
        const QStringList buttons = {QString::fromUtf8("清空并开始"), QString::fromUtf8("保留并开始"),
                                     QString::fromUtf8("取消")};
        const Dialogs::Choice answer = Dialogs::choose(
            this, QString::fromUtf8("提示"), QString::fromUtf8("列表中有上一次搜索的商品。开始前清空吗？"),
            buttons, QString::fromUtf8("记住我的选择"));
        if (answer.button != 0 && answer.button != 1)
            return std::nullopt;
        choice = answer.button == 0 ? EarlierGoods::Clear : EarlierGoods::Keep;
        if (answer.ticked)
            m_earlierGoods = choice;
    }
    return choice;
}

} // namespace zorvane::ui
