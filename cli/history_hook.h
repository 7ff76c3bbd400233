#pragma once

#include <memory>
#include <string>

#include "cli/cli_options.h"
#include "core/walk_events.h"
#include "history/history_recorder.h"

namespace zorvane {
struct AppState;
}

namespace zorvane::cli {

// Records the walk of "search" in the history file. It sits between the walk
// and the console: it notes each page and each stored goods item, and passes
// every event on unchanged. The walk is begun in the file with its first
// page, so a refused start leaves nothing behind.
class HistoryHook final : public WalkObserver
{
public:
    HistoryHook(AppState& state, WalkObserver& next, const std::string& dbPath);

    void walkStarted(const WalkStart& start) override;
    void pageStarted(int number) override;
    void pageDone(int pagesDone) override;
    void goodsStored(const StoredGoods& goods) override;
    void logLine(std::string_view message) override { m_next.logLine(message); }
    void walkEnded(const WalkEnd& end) override;

    // Waits until the file has everything, then hands the recorder's own log
    // lines to the log. Call after the walk's thread is gone.
    void finish();

private:
    void beginOnce();

    AppState& m_state;
    WalkObserver& m_next;
    std::string m_address;
    std::unique_ptr<HistoryRecorder> m_recorder;
    bool m_begun = false;
};

// The hook for a search, or none under --no-history.
std::unique_ptr<HistoryHook> makeHistoryHook(AppState& state, WalkObserver& next,
                                             const SearchOptions& options);

} // namespace zorvane::cli
