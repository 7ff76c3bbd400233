#include "cli/history_hook.h"

#include "cli/history_command.h"
#include "core/app_state.h"
#include "core/log.h"

namespace zorvane::cli {

HistoryHook::HistoryHook(AppState& state, WalkObserver& next, const std::string& dbPath)
    : m_state(state), m_next(next),
      m_recorder(std::make_unique<HistoryRecorder>(
          dbPath, [&state](const std::string& notice) { appendLog(state, notice); }))
{
}

void HistoryHook::walkStarted(const WalkStart& start)
{
    m_address = start.address;
    m_next.walkStarted(start);
}

void HistoryHook::pageStarted(int number)
{
    beginOnce();
    m_next.pageStarted(number);
}

void HistoryHook::pageDone(int pagesDone)
{
    m_recorder->pageDone(pagesDone);
    m_next.pageDone(pagesDone);
}

void HistoryHook::goodsStored(const StoredGoods& goods)
{
    m_recorder->addGoods(goods.page, goods.place, goods.record);
    m_next.goodsStored(goods);
}

void HistoryHook::walkEnded(const WalkEnd& end)
{
    beginOnce();
    m_recorder->endWalk(end.reason);
    m_next.walkEnded(end);
}

void HistoryHook::beginOnce()
{
    if (!m_begun)
        m_recorder->beginWalk(m_address);
    m_begun = true;
}

void HistoryHook::finish()
{
    m_recorder.reset();
}

std::unique_ptr<HistoryHook> makeHistoryHook(AppState& state, WalkObserver& next,
                                             const SearchOptions& options)
{
    if (options.noHistory)
        return nullptr;
    const std::string path = options.historyDb.empty() ? defaultHistoryPath() : options.historyDb;
    return std::make_unique<HistoryHook>(state, next, path);
}

} // namespace zorvane::cli
