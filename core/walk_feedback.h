#pragma once

#include "core/feedback.h"
#include "core/walk_events.h"

namespace zorvane {

class LogBuffer;

// The walk's events on the worker-to-window channel: log lines go to the log
// (the log pump carries them as 1001), a stored record is 1006 with the new
// count, the end is 1091; pages started and done have no code.
class FeedbackWalkObserver final : public WalkObserver
{
public:
    FeedbackWalkObserver(LogBuffer& log, FeedbackSink& sink) : m_log(log), m_sink(sink) {}

    void pageStarted(int) override {}
    void pageDone(int) override {}
    void goodsStored(std::int64_t count) override;
    void logLine(std::string_view message) override;
    void walkEnded(const WalkEnd& end) override;

private:
    LogBuffer& m_log;
    FeedbackSink& m_sink;
};

} // namespace zorvane
