#pragma once

#include <string_view>

#include "core/walk_events.h"

namespace zorvane {

class HistoryRecorder;

// Records one walk in the history on its way to a front end: it sits between
// the walk and the front end's observer, hands each event to the recorder
// and passes it on unchanged. The walk is begun in the file by its
// walkStarted, so a start refused before the walk runs leaves nothing
// behind. Pages are counted from where this walk started: a walk resumed
// after a pause is a walk of its own in the file.
class WalkRecorder final : public WalkObserver
{
public:
    WalkRecorder(HistoryRecorder& recorder, WalkObserver& next) : m_recorder(recorder), m_next(next) {}

    void walkStarted(const WalkStart& start) override;
    void pageStarted(int number) override { m_next.pageStarted(number); }
    void pageDone(int pagesDone) override;
    void goodsStored(const StoredGoods& goods) override;
    void logLine(std::string_view message) override { m_next.logLine(message); }
    // Passed on once the file has the walk and every change found is handed
    // over: the front end that hears of the end has all of them.
    void walkEnded(const WalkEnd& end) override;

private:
    HistoryRecorder& m_recorder;
    WalkObserver& m_next;
    int m_pagesBefore = 0;
    bool m_begun = false;
};

} // namespace zorvane
