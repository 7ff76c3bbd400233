#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/goods_record.h"
#include "core/walk_events.h"
#include "history/history_store.h"
#include "history/walk_changes.h"

namespace zorvane {

// Why a walk ended, as the store keeps it: "finished", "page-limit",
// "coupon-expired", "login-page", "paused-itself", "paused", "stopped" or
// "lasting-failure" (names already stored stay as they are).
const char* walkEndName(WalkEndReason reason);

// How long and how much a HistoryRecorder keeps what the file cannot take yet.
struct RecorderBounds
{
    // The pause between commits (see HistoryRecorder).
    std::chrono::milliseconds flushEvery{25};
    // Goods items kept in memory while another program holds the file; the
    // walk's later ones are left out (and the walk not whole) past it.
    std::size_t heldGoods = 50000;
    // How long a walk's end (or the recorder's) waits for a held file before
    // what it keeps is given up.
    std::chrono::milliseconds endWait{10000};
};

// Writes one walk at a time into the history file while the walk runs (a
// WalkRecorder feeds it a walk's events) and, when given onChanges, tells
// each stored record's 变化 against the coupon's earlier walks: one query per
// page, on the writer thread, handed over once the page is committed. The
// walk's thread only queues; one writer thread writes each page as it comes
// and commits at most once per flushEvery (a slow walk's page is committed as
// it comes, a fast walk's pages gather; other writers of the file wait up to
// that long). The pause is short, so that little is left to commit when the
// walk ends and waits for it; then it commits at once, and the write-ahead log is
// also copied into the file. A page counts in the file
// once its end is committed. The file is opened by the writer; when it cannot be opened or
// written, onNotice gets "历史记录不可用：" + the cause, once, and the rest
// of the run is not recorded. While another program holds the file past the
// busy timeout, the writer keeps what comes (up to bounds.heldGoods goods
// items) and tries again, backing off; a walk's end waits up to
// bounds.endWait for it, then what is kept is given up. A walk is marked
// whole in the file only when all of it got there. The walk waits for the
// file only at its end (see WalkRecorder), for its last commit.
class HistoryRecorder final
{
public:
    // Called on the writer thread with a line for the log.
    using NoticeHandler = std::function<void(const std::string&)>;
    // Called on the writer thread with a page's records whose change text is
    // new (an item a later page moves tells its earlier records again).
    using ChangesHandler = std::function<void(std::vector<StoredChange>)>;

    HistoryRecorder(std::string path, NoticeHandler onNotice, ChangesHandler onChanges = {},
                    RecorderBounds bounds = {});
    // Writes what is queued, then returns.
    ~HistoryRecorder();
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    void beginWalk(const std::string& address);
    // A goods item on page (1-based) at position (1-based on that page),
    // kept as record count of the goods store.
    void addGoods(int page, int position, const GoodsRecord& record, std::int64_t count);
    // The page's goods are all there; pages is how many the walk has done.
    void pageDone(int pages);
    void endWalk(WalkEndReason reason);
    // Returns once the file is open and everything queued before the call is
    // committed, its changes told (or the file was given up on). The writer
    // never waits for its caller, so any thread may wait here.
    void waitWritten();
    // The id in the file of the walk begun last, once its begin is committed;
    // 0 before then, or when it never was. A front end that compares its own
    // walk asks for it after the walk's end: another process may have begun
    // a later walk of the same coupon meanwhile.
    std::int64_t committedWalkId() const { return m_committedWalkId.load(); }

private:
    struct Event
    {
        enum class Kind
        {
            Begin,
            Goods,
            Page,
            End
        } kind = Kind::Goods;
        std::string address;
        Sighting sighting;
        std::int64_t count = 0;
        int pages = 0;
        WalkEndReason reason = WalkEndReason::Finished;
        std::int64_t timeMs = 0;
        std::int64_t lost = 0; // an end's: the walk's goods items left out past the bound
        std::chrono::steady_clock::time_point queuedAt; // an end's
    };
    using Clock = std::chrono::steady_clock;

    void queue(Event event, bool commitNow);
    void writerLoop();
    bool openStore();
    bool writeHeld();
    void dropHeld();
    std::optional<Clock::time_point> waitedFor(bool waiter) const;
    void doneWith(std::uint64_t events, std::size_t goods);
    void commit();
    static bool endsWalk(const std::vector<Event>& batch);
    static std::size_t goodsIn(const std::vector<Event>& batch);
    void checkpoint();
    SqlStatus apply(const Event& event);
    SqlStatus finishPageChanges();
    void giveUp(const std::string& cause);

    const std::string m_path;
    const NoticeHandler m_onNotice;
    const ChangesHandler m_onChanges;
    const RecorderBounds m_bounds;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::vector<Event> m_queue;
    std::uint64_t m_queuedCount = 0;  // events ever queued
    std::uint64_t m_writtenCount = 0; // of those, the ones the writer is done with
    bool m_opened = false;            // the writer has opened (made) the file, or failed to
    bool m_commitNow = false;
    bool m_quit = false;
    std::size_t m_heldGoods = 0;     // goods items queued that the writer is not done with
    std::int64_t m_droppedGoods = 0; // the walk's goods items left out past the bound

    // The writer thread's own.
    HistoryStore m_store;
    bool m_inTransaction = false;
    std::int64_t m_walkId = 0;
    std::string m_couponKey;
    WalkChanges m_changes;
    std::vector<std::vector<StoredChange>> m_found; // the batch's pages' changes, told once committed
    bool m_failed = false;
    std::vector<Event> m_held; // taken, not yet written: the file was held
    bool m_skipWalk = false;   // the walk's start was given up: its events go until the next start
    bool m_waitNoted = false;  // the log was told the file is held
    std::atomic<std::int64_t> m_committedWalkId{0};

    std::thread m_writer;
};

} // namespace zorvane
