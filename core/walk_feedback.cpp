#include "core/walk_feedback.h"

#include "core/log.h"

namespace zorvane {

void FeedbackWalkObserver::goodsStored(std::int64_t count)
{
    m_sink.send(Feedback{kFeedbackNewGoods, count, std::nullopt});
}

void FeedbackWalkObserver::pageDone(int pagesDone)
{
    m_sink.post(Feedback{kFeedbackPageDone, pagesDone, std::nullopt});
}

void FeedbackWalkObserver::logLine(std::string_view message)
{
    appendLog(m_log, message);
}

void FeedbackWalkObserver::walkEnded(const WalkEnd&)
{
    m_sink.send(Feedback{kFeedbackSearchEnded, 0, std::nullopt});
}

} // namespace zorvane
