#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "core/feedback.h"
#include "core/walk_events.h"

namespace zorvane {
struct AppState;
}

namespace zorvane::cli {

// The walk and the workers rendered on a terminal: log text goes to a stream
// with LF line ends; on a terminal a one-line progress display (pages done,
// goods found) is redrawn beneath the log instead of scrolling. Any thread.
class ConsoleSink final : public FeedbackSink, public WalkObserver
{
public:
    ConsoleSink(AppState& state, std::FILE* out, bool showProgress);

    void send(const Feedback& message) override;
    void post(const Feedback& message) override { send(message); }

    void pageStarted(int) override {}
    void pageDone(int pagesDone) override;
    void walkStarted(const WalkStart&) override {}
    void goodsStored(const StoredGoods& goods) override;
    void logLine(std::string_view message) override;
    void walkEnded(const WalkEnd&) override {}

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

} // namespace zorvane::cli
