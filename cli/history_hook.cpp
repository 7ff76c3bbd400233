#include "cli/history_hook.h"

#include "cli/history_command.h"
#include "core/app_state.h"
#include "core/log.h"
#include "core/text.h"

namespace zorvane::cli {

HistoryHook::HistoryHook(AppState& state, FeedbackSink& next, const std::string& dbPath, std::string address)
    : m_state(state), m_next(next), m_address(std::move(address)),
      m_recorder(std::make_unique<HistoryRecorder>(
          dbPath, [&state](const std::string& notice) { appendLog(state, notice); }))
{
}

void HistoryHook::send(const Feedback& message)
{
    observe(message);
    m_next.send(message);
}

void HistoryHook::post(const Feedback& message)
{
    observe(message);
    m_next.post(message);
}

void HistoryHook::observe(const Feedback& message)
{
    if (message.code == kFeedbackNewGoods) {
        beginOnce();
        if (std::optional<GoodsRecord> record = copyGoods(m_state, message.number))
            m_recorder->addGoods(m_pagesDone + 1, ++m_position, *record);
    } else if (message.code == kFeedbackPageDone) {
        beginOnce();
        m_pagesDone = static_cast<int>(message.number);
        m_position = 0;
        m_recorder->pageDone(m_pagesDone);
    }
}

void HistoryHook::beginOnce()
{
    if (!m_begun)
        m_recorder->beginWalk(m_address);
    m_begun = true;
}

void HistoryHook::endWalk(bool interrupted, bool paused)
{
    if (!m_recorder)
        return;
    beginOnce();
    m_recorder->endWalk(interrupted ? WalkEnd::stopped : paused ? WalkEnd::paused : WalkEnd::finished);
    m_recorder.reset();
    if (auto text = makePayloadText(takeLogBuffer(m_state)))
        m_next.send(Feedback{kFeedbackLog, 0, std::move(text)});
}

std::unique_ptr<HistoryHook> makeHistoryHook(AppState& state, FeedbackSink& next,
                                             const SearchOptions& options)
{
    if (options.noHistory)
        return nullptr;
    const std::string path = options.historyDb.empty() ? defaultHistoryPath() : options.historyDb;
    return std::make_unique<HistoryHook>(state, next, path, trimSpaces(options.address));
}

} // namespace zorvane::cli
