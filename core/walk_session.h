#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

#include "base/manual_reset_event.h"
#include "core/walk_events.h"

namespace zorvane {

class LogBuffer;
class SearchPosition;

// Where the search walk is. Running, Pausing and Stopping have a walk on its
// thread; Paused keeps the position a start goes on from.
enum class RunState
{
    Idle,
    Running,
    Pausing,
    Paused,
    Stopping,
};

// What the run control tells its front end, in its own terms; the front end
// decides what each means for its controls.
class RunStateListener
{
public:
    virtual ~RunStateListener() = default;
    // The start/pause command has begun (true); a start it made is settled,
    // accepted or refused (false). A pause or stop asked of the walk is
    // answered by the walk's end instead.
    virtual void commandInProgress(bool inProgress) = 0;
    // Every transition, also one that stays in its state (a stop while idle).
    virtual void stateChanged(RunState from, RunState to) = 0;
};

// What a start came to: a walk on its thread, a start refused, or one the
// user called off before anything began.
enum class StartOutcome
{
    Started,
    Refused,
    Cancelled,
};

// The run control of the search walk: the commands and the walk's end as
// transitions of its state, each logging as it goes and telling the
// listener (when there is one) where it went. The commands and ended()
// run on the front end's control thread; pauseItself and the waits on the
// walk's thread.
class WalkSession final
{
public:
    WalkSession(LogBuffer& log, SearchPosition& position) : m_log(log), m_position(position) {}
    WalkSession(const WalkSession&) = delete;
    WalkSession& operator=(const WalkSession&) = delete;

    RunState state() const { return m_state.load(); }
    // A walk is on its thread.
    bool walking() const;

    // The start/pause command. From Idle or Paused it starts a walk through
    // startWalk, which validates, fixes the parameters and starts the walk's
    // thread, and returns false when nothing was started. While a walk runs
    // it asks the walk to pause after the page in hand. A start the user
    // cancels logs nothing: nothing failed.
    void startPause(RunStateListener* listener, const std::function<StartOutcome()>& startWalk);
    void startPause(RunStateListener* listener, const std::function<bool()>& startWalk);
    void startPause(const std::function<bool()>& startWalk) { startPause(nullptr, startWalk); }

    // The stop command: asks a running walk to stop, or forgets a paused one.
    void stop(RunStateListener* listener = nullptr);

    // The front end's answer to WalkObserver::walkEnded, while the walk still
    // waits in that call: Paused when the walk ended paused (asked for or by
    // itself), else Idle with the position forgotten.
    void ended(RunStateListener* listener, WalkEndReason reason);
    void ended(WalkEndReason reason) { ended(nullptr, reason); }

    // The walk pauses by itself, without a log line. A stop or pause asked
    // for first stays what it is.
    void pauseItself();

    // The walk's wait between pages: true when a pause or stop was asked for
    // (now or before), false when the time ran out. Zero or less only looks.
    bool waitForRequest(std::chrono::milliseconds timeout);

private:
    void setState(RunState state, RunStateListener* listener);

    LogBuffer& m_log;
    SearchPosition& m_position;
    std::mutex m_transition; // one command or end at a time
    std::atomic<RunState> m_state{RunState::Idle};
    ManualResetEvent m_request; // set by a pause or stop, reset at the walk's end
};

} // namespace zorvane
