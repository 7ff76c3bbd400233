// The status bar's side of the walk: the window tells it what the run
// control did and what the walk reported.
#include "ui/main_window.h"

namespace zorvane::ui {

namespace {

StatusPanel::WalkState shownState(RunState state)
{
    switch (state) {
    case RunState::Idle:
        break;
    case RunState::Running:
        return StatusPanel::WalkState::Searching;
    case RunState::Pausing:
        return StatusPanel::WalkState::Pausing;
    case RunState::Paused:
        return StatusPanel::WalkState::Paused;
    case RunState::Stopping:
        return StatusPanel::WalkState::Stopping;
    }
    return StatusPanel::WalkState::Idle;
}

} // namespace

void MainWindow::showWalkState()
{
    m_status->setWalkState(shownState(m_state->walk.state()));
}

void MainWindow::noteSearchStart(bool fromFirstPage, int pageLimit)
{
    if (fromFirstPage)
        m_status->startWalk(pageLimit);
    else
        m_status->setPageLimit(pageLimit);
}

} // namespace zorvane::ui
