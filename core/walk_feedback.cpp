#include "core/walk_feedback.h"

#include "core/log.h"

namespace zorvane {

WalkEndReason walkEndReasonOf(std::int64_t number)
{
    // Stopped is the last reason.
    if (number < 0 || number > static_cast<std::int64_t>(WalkEndReason::Stopped))
        return WalkEndReason::Finished;
    return static_cast<WalkEndReason>(number);
}

void FeedbackWalkObserver::goodsStored(const StoredGoods& goods)
{
    m_sink.send(Feedback{kFeedbackNewGoods, goods.count, std::nullopt});
}

void FeedbackWalkObserver::pageDone(int pagesDone)
{
    m_sink.post(Feedback{kFeedbackPageDone, pagesDone, std::nullopt});
}

void FeedbackWalkObserver::logLine(std::string_view message)
{
    appendLog(m_log, message);
}

void FeedbackWalkObserver::walkEnded(const WalkEnd& end)
{
    // The window cannot tell a login page from a finished walk by its run
    // state: the reason travels with the end.
    m_sink.send(Feedback{kFeedbackSearchEnded, static_cast<std::int64_t>(end.reason), std::nullopt});
}

} // namespace zorvane
