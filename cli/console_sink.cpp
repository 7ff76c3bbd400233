#include "cli/console_sink.h"

#include <charconv>

#include "core/log.h"
#include "core/text.h"
#include "search/search_job.h"

namespace zorvane::cli {

namespace {

// Erases the terminal line the cursor is on.
constexpr std::string_view kClearLine = "\r\x1b[K";

} // namespace

int lastPagesDone(std::string_view logText)
{
    // The walk logs "<prefix>已搜索N页" after every page it counts.
    const std::string marker = SearchJob().logPrefix + "已搜索";
    int last = -1;
    for (std::size_t at = logText.find(marker); at != std::string_view::npos;
         at = logText.find(marker, at + 1)) {
        const char* first = logText.data() + at + marker.size();
        const char* end = logText.data() + logText.size();
        int pages = 0;
        auto [next, error] = std::from_chars(first, end, pages);
        if (error == std::errc() && std::string_view(next, end - next).starts_with("页"))
            last = pages;
    }
    return last;
}

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
    case kFeedbackNewGoods: {
        std::lock_guard guard(m_mutex);
        m_goodsFound = message.number;
        drawProgress();
        break;
    }
    case kFeedbackSearchEnded:
        waitForEndHandled();
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

void ConsoleSink::waitForEndHandled()
{
    std::unique_lock lock(m_endMutex);
    m_endArrived = true;
    m_endChanged.notify_all();
    m_endChanged.wait(lock, [this] { return m_endHandled; });
}

void ConsoleSink::handleSearchEnd(const std::function<void()>& handler)
{
    {
        std::unique_lock lock(m_endMutex);
        m_endChanged.wait(lock, [this] { return m_endArrived; });
    }
    handler();
    std::lock_guard guard(m_endMutex);
    m_endHandled = true;
    m_endChanged.notify_all();
}

void ConsoleSink::writeLog(const std::string& text)
{
    const std::string lines = replaceAll(text, "\r\n", "\n");
    std::lock_guard guard(m_mutex);
    if (int pages = lastPagesDone(text); pages >= 0)
        m_pagesDone = pages;
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
        std::fprintf(m_out, "%spages done: %d, goods found: %lld", m_progressShown ? "\r\x1b[K" : "",
                     m_pagesDone, static_cast<long long>(m_goodsFound));
        m_progressShown = true;
    }
    std::fflush(m_out);
}

} // namespace zorvane::cli
