// The status bar's side of the walk: the window tells it what the run
// control did and what the walk reported.
#include "ui/main_window.h"

#include <mutex>

namespace zorvane::ui {

void MainWindow::showWalkState(StatusPanel::WalkState walkState)
{
    m_status->setWalkState(walkState);
}

void MainWindow::noteSearchStart(bool fromFirstPage, int pageLimit)
{
    if (fromFirstPage)
        m_status->startWalk(pageLimit);
    else
        m_status->setPageLimit(pageLimit);
}

void MainWindow::notePagesFromLog(const std::string& text)
{
    // The walk reports a finished page only as its "已搜索N页" log line.
    static const std::string marker = "已搜索";
    const std::size_t at = text.rfind(marker);
    if (at == std::string::npos)
        return;
    int pages = 0;
    std::size_t i = at + marker.size();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && pages < 100000000; ++i)
        pages = pages * 10 + (text[i] - '0');
    if (i > at + marker.size() && text.compare(i, 3, "页") == 0)
        m_status->setPagesDone(pages);
}

} // namespace zorvane::ui
