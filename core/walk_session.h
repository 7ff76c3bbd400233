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

// The front end's controls as the run control sees them.
enum class ControlGroup
{
    Inputs,     // the search's input boxes and the clearing of the goods
    Goods,      // the goods list and its sorting
    TagFilter,  // the tag list, the price bounds and the filter command
    Export,     // the export command
    StartPause, // the start/pause command
    Stop,       // the stop command
};

// What the start/pause command does next.
enum class StartMeaning
{
    Start,
    Pause,
};

// A front end with controls; one without passes none to the session.
class RunControlView
{
public:
    virtual ~RunControlView() = default;
    virtual void setUsable(ControlGroup group, bool usable) = 0;
    virtual void setStartMeaning(StartMeaning meaning) = 0;
};

// The run control of the search walk: the commands and the walk's end as
// transitions of its state, each logging as it goes and telling the view
// (when there is one) which controls are usable. The commands and ended()
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
    // it asks the walk to pause after the page in hand.
    void startPause(RunControlView* view, const std::function<bool()>& startWalk);

    // The stop command: asks a running walk to stop, or forgets a paused one.
    void stop(RunControlView* view);

    // The front end's answer to WalkObserver::walkEnded, while the walk still
    // waits in that call: Paused when the walk ended paused (asked for or by
    // itself), else Idle with the position forgotten.
    void ended(RunControlView* view, WalkEndReason reason);

    // The walk pauses by itself, without a log line. A stop or pause asked
    // for first stays what it is.
    void pauseItself();

    // The walk's wait between pages: true when a pause or stop was asked for
    // (now or before), false when the time ran out. Zero or less only looks.
    bool waitForRequest(std::chrono::milliseconds timeout);

private:
    void setState(RunState state) { m_state.store(state); }

    LogBuffer& m_log;
    SearchPosition& m_position;
    std::mutex m_transition; // one command or end at a time
    std::atomic<RunState> m_state{RunState::Idle};
    ManualResetEvent m_request; // set by a pause or stop, reset at the walk's end
};

} // namespace zorvane
