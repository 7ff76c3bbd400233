#include "ui/history_bridge.h"

#include "core/log.h"
#include "history/coupon_key.h"
#include "history/goods_change.h"
#include "history/history_recorder.h"

namespace zorvane::ui {

HistoryBridge::HistoryBridge(AppState& state, std::string path) : m_state(state), m_path(std::move(path)) {}

HistoryBridge::~HistoryBridge() = default;

HistoryStore* HistoryBridge::reader()
{
    // Opened once: a file that cannot be read now is left alone for the run,
    // as the recorder leaves it.
    if (!m_readerTried) {
        m_readerTried = true;
        m_reader.open(m_path);
    }
    return m_reader.isOpen() ? &m_reader : nullptr;
}

void HistoryBridge::walkStarted(const std::string& address, int pagesBefore)
{
    if (!m_recorder) {
        AppState& state = m_state;
        m_recorder = std::make_unique<HistoryRecorder>(
            m_path, [&state](const std::string& notice) { appendLog(state, notice); });
    }
    m_walking = true;
    m_couponKey = couponKey(address);
    // The walk before may still be on its way into the file; its goods are
    // what this walk is compared with. The writer never waits for this thread.
    m_recorder->waitWritten();
    // Read before the recorder's thread can store this walk: only walks that
    // exist now are earlier ones.
    m_beforeWalkId = reader() ? m_reader.nextWalkId() : 0;
    m_pagesBefore = pagesBefore;
    m_pagesDone = 0;
    m_position = 0;
    m_lowest.clear();
    m_recorder->beginWalk(address);
}

std::string HistoryBridge::goodsStored(const GoodsRecord& record, int page, int position)
{
    if (!m_walking)
        return {};
    if (page == 0)
        page = m_pagesDone + 1;
    m_position = position == 0 ? m_position + 1 : position;
    m_recorder->addGoods(page, m_position, record);
    // The walk's price of an item is the lowest it was seen at so far: a
    // repeat at a higher price is no rise.
    const auto [lowest, first] = m_lowest.try_emplace(record.goodsId, record.price);
    if (!first && record.price < lowest->second)
        lowest->second = record.price;
    if (m_beforeWalkId <= 0)
        return {};
    return changeText(
        comparePrice(lowest->second, m_reader.lastPrice(m_couponKey, record.goodsId, m_beforeWalkId)));
}

void HistoryBridge::pageDone(int pages)
{
    if (!m_walking)
        return;
    m_pagesDone = pages - m_pagesBefore;
    m_position = 0;
    m_recorder->pageDone(m_pagesDone);
}

void HistoryBridge::walkEnded(WalkEndReason reason)
{
    if (!m_walking)
        return;
    m_walking = false;
    m_recorder->endWalk(reason);
}

} // namespace zorvane::ui
