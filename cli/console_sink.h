#pragma once

#include <cstdint>
#include <cstdio>
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

    // Takes the progress display away for good.
    void finish();

private:
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
};

// The number of the last "pages searched" line of the walk in the log text, or
// -1 when there is none.
int lastPagesDone(std::string_view logText);

} // namespace zorvane::cli
