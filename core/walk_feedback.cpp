#include "core/walk_feedback.h"

#include "core/log.h"

namespace zorvane {

Feedback newGoodsFeedback(const StoredGoods& goods)
{
    Feedback message{kFeedbackNewGoods, goods.count, std::nullopt};
    message.goods = goods;
    return message;
}

Feedback changesFeedback(std::vector<StoredChange> changes)
{
    Feedback message{kFeedbackChanges, 0, std::nullopt};
    message.changes = std::move(changes);
    return message;
}

void FeedbackWalkObserver::goodsStored(const StoredGoods& goods)
{
    m_sink.send(newGoodsFeedback(goods));
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
    // state: the end travels whole.
    Feedback message{kFeedbackSearchEnded, static_cast<std::int64_t>(end.reason), std::nullopt};
    message.end = end;
    m_sink.send(message);
}

} // namespace zorvane
