#pragma once

// The run control's commands and ends as steps, and the steps that lead from
// Idle to each state: shared by the session's table and the window's.
#include <vector>

#include "core/app_state.h"
#include "core/walk_session.h"

namespace zorvane::test {

enum class Step
{
    Start,   // start/pause, the start being accepted
    Refused, // start/pause, the start being refused
    Stop,
    Finished, // the walk ended, having run out of pages
    Paused,   // the walk ended paused
    Stopped,  // the walk ended stopped
    PauseItself,
};

// The steps that lead from Idle to a state.
inline std::vector<Step> pathTo(RunState state)
{
    switch (state) {
    case RunState::Idle:
        return {};
    case RunState::Running:
        return {Step::Start};
    case RunState::Pausing:
        return {Step::Start, Step::Start};
    case RunState::Stopping:
        return {Step::Start, Step::Stop};
    case RunState::Paused:
        return {Step::Start, Step::Start, Step::Paused};
    }
    return {};
}

inline void perform(AppState& state, Step step, RunStateListener* listener = nullptr)
{
    switch (step) {
    case Step::Start:
    case Step::Refused:
        state.walk.startPause(listener, [step] { return step == Step::Start; });
        break;
    case Step::Stop:
        state.walk.stop(listener);
        break;
    case Step::Finished:
        state.walk.ended(listener, WalkEndReason::Finished);
        break;
    case Step::Paused:
        state.walk.ended(listener, WalkEndReason::Paused);
        break;
    case Step::Stopped:
        state.walk.ended(listener, WalkEndReason::Stopped);
        break;
    case Step::PauseItself:
        state.walk.pauseItself();
        break;
    }
}

} // namespace zorvane::test
