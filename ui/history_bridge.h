#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/goods_record.h"
#include "core/walk_events.h"
#include "history/history_store.h"

namespace zorvane {
struct AppState;
class HistoryRecorder;
} // namespace zorvane

namespace zorvane::ui {

// The window's side of the goods history: it records each walk in the
// history file as its goods arrive and tells each goods item's change against
// the coupon's earlier walks. Everything runs on the window's thread; the
// file is written by the recorder's own thread. A file that cannot be used is
// logged once and the walk goes on unrecorded, its changes empty.
class HistoryBridge final
{
public:
    HistoryBridge(AppState& state, std::string path);
    ~HistoryBridge();
    HistoryBridge(const HistoryBridge&) = delete;
    HistoryBridge& operator=(const HistoryBridge&) = delete;

    const std::string& path() const { return m_path; }

    // A walk starts at address; pagesBefore pages of it were done before a
    // pause (page numbers given later count them).
    void walkStarted(const std::string& address, int pagesBefore = 0);
    // A goods item was stored; page 0 means the page after the last done,
    // position 0 the next on its page. Returns the item's change text.
    std::string goodsStored(const GoodsRecord& record, int page = 0, int position = 0);
    // pages: the pages done, those before a pause included.
    void pageDone(int pages);
    // reason: why the walk ended, as the walk told it.
    void walkEnded(WalkEndReason reason);
    bool walking() const { return m_walking; }

    // The store for reading (walk lists, earlier walks' goods); none when the
    // file cannot be opened.
    HistoryStore* reader();

private:
    AppState& m_state;
    const std::string m_path;
    std::unique_ptr<HistoryRecorder> m_recorder;
    HistoryStore m_reader;
    bool m_readerTried = false;
    bool m_walking = false;
    std::string m_couponKey;
    std::int64_t m_beforeWalkId = 0; // walks below this id are the earlier ones
    int m_pagesBefore = 0;
    int m_pagesDone = 0;
    int m_position = 0;
    std::unordered_map<std::string, double> m_lowest; // goods id -> lowest price seen in this walk
};

} // namespace zorvane::ui
