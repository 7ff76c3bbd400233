#include "ui/run_control_look.h"

namespace zorvane::ui {

void RunControlLook::commandInProgress(bool inProgress)
{
    m_view.setUsable(ControlGroup::StartPause, !inProgress);
}

// Every group but the two commands follows the lock; stop takes the opposite.
void RunControlLook::lockControls(bool lock)
{
    for (ControlGroup group :
         {ControlGroup::Inputs, ControlGroup::Goods, ControlGroup::TagFilter, ControlGroup::Export})
        m_view.setUsable(group, !lock);
    m_view.setUsable(ControlGroup::Stop, lock);
}

void RunControlLook::stateChanged(RunState from, RunState to)
{
    switch (to) {
    case RunState::Running:
        lockControls(true);
        m_view.setStartMeaning(StartMeaning::Pause);
        break;
    case RunState::Pausing:
    case RunState::Stopping:
        // Nothing more until the walk has answered.
        m_view.setUsable(ControlGroup::Stop, false);
        m_view.setUsable(ControlGroup::StartPause, false);
        break;
    case RunState::Paused:
        m_view.setStartMeaning(StartMeaning::Start);
        m_view.setUsable(ControlGroup::StartPause, true);
        m_view.setUsable(ControlGroup::Stop, true);
        // Filtering and sorting stay possible while paused.
        m_view.setUsable(ControlGroup::Goods, true);
        m_view.setUsable(ControlGroup::TagFilter, true);
        break;
    case RunState::Idle:
        // From a walk (ended, or its start refused) the start/pause command
        // comes back as start; a stop while idle or paused leaves it be.
        if (from != RunState::Idle && from != RunState::Paused) {
            m_view.setStartMeaning(StartMeaning::Start);
            m_view.setUsable(ControlGroup::StartPause, true);
        }
        lockControls(false);
        break;
    }
}

} // namespace zorvane::ui
