#pragma once

#include "core/feedback.h"
#include "core/walk_events.h"

namespace zorvane {

class LogBuffer;

// The walk's events on the worker-to-window channel: log lines go to the log
// (the log pump carries them as 1001), a stored record is 1006 with the new
// count and the record, a page done is 1008 (posted: nothing waits on it),
// the end is 1091 with the reason and the whole end; a page started has no
// code.
Feedback newGoodsFeedback(const StoredGoods& goods);
// The 1009 of stored records' 变化, as the history found them.
Feedback changesFeedback(std::vector<StoredChange> changes);

class FeedbackWalkObserver final : public WalkObserver
{
public:
    FeedbackWalkObserver(LogBuffer& log, FeedbackSink& sink) : m_log(log), m_sink(sink) {}

    void walkStarted(const WalkStart&) override {}
    void pageStarted(int) override {}
    void pageDone(int pagesDone) override;
    void goodsStored(const StoredGoods& goods) override;
    void logLine(std::string_view message) override;
    void walkEnded(const WalkEnd& end) override;

private:
    LogBuffer& m_log;
    FeedbackSink& m_sink;
};

} // namespace zorvane
