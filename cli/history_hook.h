#pragma once

#include <memory>
#include <string>

#include "cli/cli_options.h"
#include "core/feedback.h"
#include "history/history_recorder.h"

namespace zorvane {
struct AppState;
}

namespace zorvane::cli {

// Records the walk of "search" in the history file. It sits between the
// search thread and the console: it notes each stored goods item (code 1006)
// and each page's end (code 1008), and passes every message on unchanged.
// The walk is begun in the file with its first message, so a refused start
// leaves nothing behind.
class HistoryHook final : public FeedbackSink
{
public:
    HistoryHook(AppState& state, FeedbackSink& next, const std::string& dbPath, std::string address);

    void send(const Feedback& message) override;
    void post(const Feedback& message) override;

    // Records the end, waits until the file has everything and passes on what
    // the recorder logged since the log pump stopped. Call after the search
    // thread and the pump are gone.
    void endWalk(bool interrupted, bool paused);

private:
    void observe(const Feedback& message);
    void beginOnce();

    AppState& m_state;
    FeedbackSink& m_next;
    std::string m_address;
    std::unique_ptr<HistoryRecorder> m_recorder;
    bool m_begun = false;
    int m_pagesDone = 0;
    int m_position = 0; // goods so far on the current page
};

// The hook for a search, or none under --no-history.
std::unique_ptr<HistoryHook> makeHistoryHook(AppState& state, FeedbackSink& next,
                                             const SearchOptions& options);

} // namespace zorvane::cli
