#include "core/walk_session.h"

#include "core/log.h"
#include "core/search_position.h"

namespace zorvane {

namespace {

void show(RunControlView* view, ControlGroup group, bool usable)
{
    if (view)
        view->setUsable(group, usable);
}

void showMeaning(RunControlView* view, StartMeaning meaning)
{
    if (view)
        view->setStartMeaning(meaning);
}

// Every group but the two commands follows the lock; stop takes the opposite.
void lockControls(RunControlView* view, bool lock)
{
    for (ControlGroup group :
         {ControlGroup::Inputs, ControlGroup::Goods, ControlGroup::TagFilter, ControlGroup::Export})
        show(view, group, !lock);
    show(view, ControlGroup::Stop, lock);
}

} // namespace

bool WalkSession::walking() const
{
    const RunState now = m_state.load();
    return now == RunState::Running || now == RunState::Pausing || now == RunState::Stopping;
}

void WalkSession::startPause(RunControlView* view, const std::function<bool()>& startWalk)
{
    show(view, ControlGroup::StartPause, false);
    std::unique_lock lock(m_transition);
    if (!walking()) {
        setState(RunState::Running);
        lockControls(view, true);
        showMeaning(view, StartMeaning::Pause);
        // The start may show a message box, and its walk may pause itself at
        // once: neither may wait for this command.
        lock.unlock();
        const bool started = startWalk();
        lock.lock();
        if (started) {
            show(view, ControlGroup::StartPause, true);
            appendLog(m_log, "开始成功");
        } else {
            showMeaning(view, StartMeaning::Start);
            show(view, ControlGroup::StartPause, true);
            lockControls(view, false);
            setState(RunState::Idle);
            appendLog(m_log, "开始失败");
        }
        return;
    }
    appendLog(m_log, "正在暂停。。。");
    show(view, ControlGroup::Stop, false);
    show(view, ControlGroup::StartPause, false);
    setState(RunState::Pausing);
    m_request.set();
}

void WalkSession::stop(RunControlView* view)
{
    std::lock_guard lock(m_transition);
    if (walking()) {
        appendLog(m_log, "正在停止。。。");
        show(view, ControlGroup::Stop, false);
        show(view, ControlGroup::StartPause, false);
        setState(RunState::Stopping);
        m_request.set();
        return;
    }
    m_position.forget();
    lockControls(view, false);
    setState(RunState::Idle);
    appendLog(m_log, "已停止");
}

void WalkSession::ended(RunControlView* view, WalkEndReason reason)
{
    std::lock_guard lock(m_transition);
    m_request.reset();
    showMeaning(view, StartMeaning::Start);
    show(view, ControlGroup::StartPause, true);
    // A walk that ended by itself counts as stopped, even when a pause was
    // asked for while its last page was in hand: nothing is left to go on with.
    const bool stopped = reason != WalkEndReason::Paused && reason != WalkEndReason::PausedItself;
    if (stopped) {
        m_position.forget();
        lockControls(view, false);
    } else {
        show(view, ControlGroup::Stop, true);
        // Filtering and sorting stay possible while paused.
        show(view, ControlGroup::Goods, true);
        show(view, ControlGroup::TagFilter, true);
    }
    setState(stopped ? RunState::Idle : RunState::Paused);
    appendLog(m_log, stopped ? "已停止" : "已暂停");
}

void WalkSession::pauseItself()
{
    std::lock_guard lock(m_transition);
    if (m_state.load() == RunState::Running)
        setState(RunState::Pausing);
    m_request.set();
}

bool WalkSession::waitForRequest(std::chrono::milliseconds timeout)
{
    return m_request.waitFor(timeout > std::chrono::milliseconds(0) ? timeout : std::chrono::milliseconds(0));
}

} // namespace zorvane
