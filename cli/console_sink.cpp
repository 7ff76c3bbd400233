#include "cli/console_sink.h"

#include "base/text.h"
#include "cli/translation.h"
#include "core/app_state.h"
#include "core/log.h"

namespace zorvane::cli {

namespace {

// Erases the terminal line the cursor is on.
constexpr std::string_view kClearLine = "\r\x1b[K";

} // namespace

ConsoleSink::ConsoleSink(AppState& state, std::FILE* out, bool showProgress)
    : m_state(state), m_out(out), m_showProgress(showProgress)
{
}

void ConsoleSink::send(const Feedback& message)
{
    switch (message.code) {
    case kFeedbackLog:
        if (message.text)
            writeLog(*message.text);
        break;
    // The window logs the end of its filter and sort workers; so does this side.
    case kFeedbackFilterEnded:
        appendLog(m_state, "筛选完毕");
        break;
    case kFeedbackSortEnded:
        appendLog(m_state, "排序完毕");
        break;
    default:
        break;
    }
}

void ConsoleSink::pageDone(int pagesDone)
{
    std::lock_guard guard(m_mutex);
    m_pagesDone = pagesDone;
    drawProgress();
}

void ConsoleSink::goodsStored(const StoredGoods& goods)
{
    std::lock_guard guard(m_mutex);
    m_goodsFound = goods.count;
    drawProgress();
}

// The walk's lines join the log in the order they were written, with the
// lines of the run control and the workers.
void ConsoleSink::logLine(std::string_view message)
{
    appendLog(m_state, message);
}

void ConsoleSink::writeLog(const std::string& text)
{
    const std::string lines = replaceAll(text, "\r\n", "\n");
    std::lock_guard guard(m_mutex);
    clearProgress();
    std::fwrite(lines.data(), 1, lines.size(), m_out);
    drawProgress();
}

void ConsoleSink::finish()
{
    std::lock_guard guard(m_mutex);
    clearProgress();
    m_showProgress = false;
}

void ConsoleSink::clearProgress()
{
    if (m_progressShown)
        std::fwrite(kClearLine.data(), 1, kClearLine.size(), m_out);
    m_progressShown = false;
}

void ConsoleSink::drawProgress()
{
    if (m_showProgress) {
        std::fprintf(m_out, _("%spages done: %d, goods found: %lld"), m_progressShown ? "\r\x1b[K" : "",
                     m_pagesDone, static_cast<long long>(m_goodsFound));
        m_progressShown = true;
    }
    std::fflush(m_out);
}

} // namespace zorvane::cli
