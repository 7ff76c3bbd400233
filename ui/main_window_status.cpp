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
    StatusPanel::WalkState shown = shownState(m_state->walk.state());
    // A walk the shop ended is named until the next start: the user has
    // something to do (a cookie to give, another coupon to choose).
    if (shown == StatusPanel::WalkState::Idle && m_walkEnd == WalkEndReason::LoginPage)
        shown = StatusPanel::WalkState::LoginRequired;
    else if (shown == StatusPanel::WalkState::Idle && m_walkEnd == WalkEndReason::CouponExpired)
        shown = StatusPanel::WalkState::CouponExpired;
    m_status->setWalkState(shown);
}

void MainWindow::noteSearchStart(bool fromFirstPage, int pageLimit)
{
    m_walkEnd = WalkEndReason::Finished;
    if (fromFirstPage)
        m_status->startWalk(pageLimit);
    else
        m_status->setPageLimit(pageLimit);
}

} // namespace zorvane::ui
