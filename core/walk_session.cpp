#include "core/walk_session.h"

#include "core/log.h"
#include "core/search_position.h"

namespace zorvane {

namespace {

void tellInProgress(RunStateListener* listener, bool inProgress)
{
    if (listener)
        listener->commandInProgress(inProgress);
}

} // namespace

void WalkSession::setState(RunState state, RunStateListener* listener)
{
    const RunState from = m_state.exchange(state);
    if (listener)
        listener->stateChanged(from, state);
}

bool WalkSession::walking() const
{
    const RunState now = m_state.load();
    return now == RunState::Running || now == RunState::Pausing || now == RunState::Stopping;
}

void WalkSession::startPause(RunStateListener* listener, const std::function<bool()>& startWalk)
{
    startPause(listener, std::function<StartOutcome()>([&startWalk] {
                   return startWalk() ? StartOutcome::Started : StartOutcome::Refused;
               }));
}

void WalkSession::startPause(RunStateListener* listener, const std::function<StartOutcome()>& startWalk)
{
    tellInProgress(listener, true);
    std::unique_lock lock(m_transition);
    if (!walking()) {
        setState(RunState::Running, listener);
        // The start may show a message box, and its walk may pause itself at
        // once: neither may wait for this command.
        lock.unlock();
        const StartOutcome outcome = startWalk();
        lock.lock();
        if (outcome != StartOutcome::Started)
            setState(RunState::Idle, listener);
        tellInProgress(listener, false);
        if (outcome != StartOutcome::Cancelled)
            appendLog(m_log, outcome == StartOutcome::Started ? "开始成功" : "开始失败");
        return;
    }
    appendLog(m_log, "正在暂停。。。");
    setState(RunState::Pausing, listener);
    m_request.set();
}

void WalkSession::stop(RunStateListener* listener)
{
    std::lock_guard lock(m_transition);
    if (walking()) {
        appendLog(m_log, "正在停止。。。");
        setState(RunState::Stopping, listener);
        m_request.set();
        return;
    }
    m_position.forget();
    setState(RunState::Idle, listener);
    appendLog(m_log, "已停止");
}

void WalkSession::ended(RunStateListener* listener, WalkEndReason reason)
{
    std::lock_guard lock(m_transition);
    m_request.reset();
    // A walk that ended by itself counts as stopped, even when a pause was
    // asked for while its last page was in hand: nothing is left to go on with.
    const bool stopped = reason != WalkEndReason::Paused && reason != WalkEndReason::PausedItself;
    if (stopped)
        m_position.forget();
    setState(stopped ? RunState::Idle : RunState::Paused, listener);
    appendLog(m_log, stopped ? "已停止" : "已暂停");
}

void WalkSession::pauseItself()
{
    std::lock_guard lock(m_transition);
    if (m_state.load() == RunState::Running)
        setState(RunState::Pausing, nullptr); // the front end's controls stay as they are
    m_request.set();
}

bool WalkSession::waitForRequest(std::chrono::milliseconds timeout)
{
    return m_request.waitFor(timeout > std::chrono::milliseconds(0) ? timeout : std::chrono::milliseconds(0));
}

} // namespace zorvane
