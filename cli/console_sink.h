#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "core/feedback.h"

namespace zorvane {
struct AppState;
}

namespace zorvane::cli {

// The window's side of the channel for a terminal: log text goes to a stream
// with LF line ends; on a terminal a one-line progress display (pages done,
// goods found) is redrawn beneath the log instead of scrolling. Any thread.
class ConsoleSink final : public FeedbackSink
{
public:
    ConsoleSink(AppState& state, std::FILE* out, bool showProgress);

    void send(const Feedback& message) override;
    void post(const Feedback& message) override { send(message); }

    // Waits for the walk's end (code 1091) and runs handler on this thread
    // while the search thread still waits in its send, as the window handles
    // the end on its own thread.
    void handleSearchEnd(const std::function<void()>& handler);

    // Takes the progress display away for good.
    void finish();

private:
    void waitForEndHandled();
    void writeLog(const std::string& text);
    void clearProgress();
    void drawProgress();

    AppState& m_state;
    std::mutex m_mutex;
    std::FILE* m_out;
    bool m_showProgress;
    bool m_progressShown = false;
    int m_pagesDone = 0;
    std::int64_t m_goodsFound = 0;

    std::mutex m_endMutex;
    std::condition_variable m_endChanged;
    bool m_endArrived = false;
    bool m_endHandled = false;
};

// The number of the last "pages searched" line of the walk in the log text, or
// -1 when there is none.
int lastPagesDone(std::string_view logText);

} // namespace zorvane::cli
