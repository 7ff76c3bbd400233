#include "history/walk_recorder.h"

#include "history/history_recorder.h"

namespace zorvane {

void WalkRecorder::walkStarted(const WalkStart& start)
{
    m_recorder.beginWalk(start.address);
    m_pagesBefore = start.pagesBefore;
    m_begun = true;
    m_next.walkStarted(start);
}

void WalkRecorder::pageDone(int pagesDone)
{
    if (m_begun)
        m_recorder.pageDone(pagesDone - m_pagesBefore);
    m_next.pageDone(pagesDone);
}

void WalkRecorder::goodsStored(const StoredGoods& goods)
{
    if (m_begun)
        m_recorder.addGoods(goods.page - m_pagesBefore, goods.place, goods.record, goods.count);
    m_next.goodsStored(goods);
}

void WalkRecorder::walkEnded(const WalkEnd& end)
{
    if (m_begun) {
        m_recorder.endWalk(end.reason);
        m_recorder.waitWritten();
    }
    m_next.walkEnded(end);
}

} // namespace zorvane
