#include "history/history_recorder.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include <sqlite3.h>

#include "history/coupon_key.h"

namespace zorvane {

namespace {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

const char* walkEndName(WalkEndReason reason)
{
    switch (reason) {
    case WalkEndReason::Finished:
        break;
    case WalkEndReason::PageLimit:
        return "page-limit";
    case WalkEndReason::CouponExpired:
        return "coupon-expired";
    case WalkEndReason::LoginPage:
        return "login-page";
    case WalkEndReason::PausedItself:
        return "paused-itself";
    case WalkEndReason::Paused:
        return "paused";
    case WalkEndReason::Stopped:
        return "stopped";
    case WalkEndReason::LastingFailure:
        return "lasting-failure";
    }
    return "finished";
}

HistoryRecorder::HistoryRecorder(std::string path, NoticeHandler onNotice, ChangesHandler onChanges,
                                 RecorderBounds bounds)
    : m_path(std::move(path)), m_onNotice(std::move(onNotice)), m_onChanges(std::move(onChanges)),
      m_bounds(bounds), m_writer([this] { writerLoop(); })
{
}

HistoryRecorder::~HistoryRecorder()
{
    {
        std::lock_guard guard(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void HistoryRecorder::beginWalk(const std::string& address)
{
    Event event;
    event.kind = Event::Kind::Begin;
    event.address = address;
    event.timeMs = nowMs();
    queue(std::move(event), false);
}

void HistoryRecorder::addGoods(int page, int position, const GoodsRecord& record, std::int64_t count)
{
    Event event;
    event.kind = Event::Kind::Goods;
    event.count = count;
    event.sighting =
        Sighting{page, position, record.goodsId, record.name, record.price, record.tagText, record.tags};
    queue(std::move(event), false);
}

void HistoryRecorder::pageDone(int pages)
{
    Event event;
    event.kind = Event::Kind::Page;
    event.pages = pages;
    queue(std::move(event), false);
}

void HistoryRecorder::endWalk(WalkEndReason reason)
{
    Event event;
    event.kind = Event::Kind::End;
    event.reason = reason;
    event.timeMs = nowMs();
    event.queuedAt = Clock::now();
    queue(std::move(event), true);
}

void HistoryRecorder::queue(Event event, bool commitNow)
{
    // The writer wakes for a page, not for each goods item: a page's goods
    // come just before its end.
    const bool wake = event.kind != Event::Kind::Goods || commitNow;
    {
        std::lock_guard guard(m_mutex);
        if (event.kind == Event::Kind::Goods) {
            // The file is held and the bound reached: the rest of the walk
            // is not kept, and the walk will not count as whole.
            if (m_heldGoods >= m_bounds.heldGoods) {
                ++m_droppedGoods;
                return;
            }
            ++m_heldGoods;
        } else if (event.kind == Event::Kind::Begin) {
            m_droppedGoods = 0;
        } else if (event.kind == Event::Kind::End) {
            event.lost = std::exchange(m_droppedGoods, 0);
        }
        m_queue.push_back(std::move(event));
        ++m_queuedCount;
        m_commitNow = m_commitNow || commitNow;
    }
    if (wake)
        m_wake.notify_one();
}

void HistoryRecorder::waitWritten()
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_queuedCount;
    if (m_opened && m_writtenCount >= target)
        return;
    m_commitNow = true;
    m_wake.notify_one();
    m_written.wait(lock, [&] { return m_opened && m_writtenCount >= target; });
}

void HistoryRecorder::writerLoop()
{
    const bool usable = openStore();
    {
        std::lock_guard guard(m_mutex);
        m_opened = true;
    }
    m_written.notify_all();
    std::uint64_t pending = 0;    // events written since the last commit
    std::size_t pendingGoods = 0; // of those, goods items
    bool walkEnded = false;       // one of them ended a walk
    auto lastCommit = Clock::now() - m_bounds.flushEvery;
    std::optional<Clock::time_point> retryAt;  // the file was held: when to try again
    std::optional<Clock::time_point> giveUpAt; // someone waits for what is held, until then
    auto backOff = std::chrono::milliseconds(100);
    for (;;) {
        bool quit = false;
        bool commitNow = false;
        {
            std::unique_lock lock(m_mutex);
            const auto ready = [&] { return m_quit || m_commitNow || !m_queue.empty(); };
            std::optional<Clock::time_point> until = retryAt;
            if (pending > 0)
                until = lastCommit + m_bounds.flushEvery;
            if (giveUpAt && (!until || *giveUpAt < *until))
                until = giveUpAt;
            if (!until)
                m_wake.wait(lock, ready);
            else
                m_wake.wait_until(lock, *until, ready);
            std::move(m_queue.begin(), m_queue.end(), std::back_inserter(m_held));
            m_queue.clear();
            commitNow = m_commitNow;
            m_commitNow = false;
            quit = m_quit;
        }
        const auto now = Clock::now();
        if (!giveUpAt && !m_held.empty())
            giveUpAt = waitedFor(commitNow || quit);
        // Each page is written as it comes, so that a fast walk's writing
        // goes on beside it; the transaction is committed at most once per
        // flushEvery (a commit writes every touched page again), at once at
        // a walk's end. What the file did not take is given up only after a
        // try past the time its waiter was promised.
        if (!m_held.empty() && retryAt && giveUpAt && now >= *giveUpAt) {
            dropHeld();
            retryAt.reset();
            giveUpAt.reset();
        } else if (!m_held.empty() && (!retryAt || now >= *retryAt || quit || commitNow)) {
            if (!usable || m_failed || writeHeld()) {
                pending += m_held.size();
                pendingGoods += goodsIn(m_held);
                walkEnded = walkEnded || endsWalk(m_held);
                m_held.clear();
                retryAt.reset();
                giveUpAt.reset();
                backOff = std::chrono::milliseconds(100);
            } else {
                retryAt = Clock::now() + backOff;
                backOff = std::min(backOff * 2, std::chrono::milliseconds(2000));
            }
        }
        const bool due = commitNow || quit || Clock::now() >= lastCommit + m_bounds.flushEvery;
        if (pending > 0 && due) {
            commit();
            lastCommit = Clock::now();
            doneWith(pending, pendingGoods);
            pending = 0;
            pendingGoods = 0;
            // After the waiters are let go: a walk's end waits for its
            // commit, never for readers of the file.
            if (walkEnded && !m_failed)
                checkpoint();
            walkEnded = false;
        }
        if (quit && m_held.empty())
            return;
    }
}

std::optional<HistoryRecorder::Clock::time_point> HistoryRecorder::waitedFor(bool waiter) const
{
    // A walk's end waits from when it came, a waiter from now.
    const auto end = std::find_if(m_held.begin(), m_held.end(),
                                  [](const Event& event) { return event.kind == Event::Kind::End; });
    if (end != m_held.end())
        return end->queuedAt + m_bounds.endWait;
    if (waiter)
        return Clock::now() + m_bounds.endWait;
    return std::nullopt;
}

void HistoryRecorder::doneWith(std::uint64_t events, std::size_t goods)
{
    {
        std::lock_guard guard(m_mutex);
        m_writtenCount += events;
        m_heldGoods -= goods;
    }
    m_written.notify_all();
}

bool HistoryRecorder::openStore()
{
    const HistoryStore::OpenOutcome outcome = m_store.open(m_path);
    if (!outcome.movedAside.empty() && m_onNotice)
        m_onNotice("历史记录文件已损坏，已移至" + outcome.movedAside);
    if (!outcome.status.ok()) {
        giveUp(outcome.status.message);
        return false;
    }
    return true;
}

bool HistoryRecorder::writeHeld()
{
    if (!m_inTransaction) {
        const SqlStatus status = m_store.beginTransaction();
        // Another program has held the file past the busy timeout: what is
        // held waits for the next try, and the next tries wait less, so that
        // a waiter is let go near the time it was promised.
        if ((status.code & 0xff) == SQLITE_BUSY) {
            if (m_onNotice && !m_waitNoted)
                m_onNotice("历史记录文件被其他程序占用，稍后再写 (" + m_path + ")");
            if (!m_waitNoted)
                m_store.setBusyWait(1000);
            m_waitNoted = true;
            return false;
        }
        if (m_waitNoted)
            m_store.setBusyWait(5000);
        if (!status.ok()) {
            giveUp(status.message);
            return true;
        }
        m_inTransaction = true;
    }
    m_waitNoted = false;
    for (const Event& event : m_held) {
        if (event.kind == Event::Kind::Begin)
            m_skipWalk = false;
        if (m_skipWalk)
            continue;
        if (SqlStatus status = apply(event); !status.ok()) {
            m_store.rollback();
            m_inTransaction = false;
            m_found.clear();
            giveUp(status.message);
            return true;
        }
    }
    return true;
}

void HistoryRecorder::dropHeld()
{
    const std::size_t goods = goodsIn(m_held);
    // Given up inside a walk, the rest of that walk goes too (its end among
    // it), so that the walk stays not whole in the file.
    const auto last = std::find_if(m_held.rbegin(), m_held.rend(), [](const Event& event) {
        return event.kind == Event::Kind::Begin || event.kind == Event::Kind::End;
    });
    m_skipWalk = last == m_held.rend() || last->kind == Event::Kind::Begin;
    if (m_onNotice)
        m_onNotice("历史记录文件一直被其他程序占用，" + std::to_string(goods) +
                   " 件商品未能记录，这次搜索不完整 (" + m_path + ")");
    const std::uint64_t events = m_held.size();
    m_held.clear();
    m_store.setBusyWait(5000);
    m_waitNoted = false;
    doneWith(events, goods);
}

void HistoryRecorder::commit()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (SqlStatus status = m_store.commit(); !status.ok()) {
        m_store.rollback();
        m_found.clear();
        giveUp(status.message);
        return;
    }
    m_committedWalkId.store(m_walkId);
    for (std::vector<StoredChange>& page : m_found)
        m_onChanges(std::move(page));
    m_found.clear();
}

bool HistoryRecorder::endsWalk(const std::vector<Event>& batch)
{
    return std::any_of(batch.begin(), batch.end(),
                       [](const Event& event) { return event.kind == Event::Kind::End; });
}

std::size_t HistoryRecorder::goodsIn(const std::vector<Event>& batch)
{
    return static_cast<std::size_t>(std::count_if(
        batch.begin(), batch.end(), [](const Event& event) { return event.kind == Event::Kind::Goods; }));
}

void HistoryRecorder::checkpoint()
{
    // An ended walk goes into the file itself, so that a copy of the file
    // alone holds it while the window keeps the history open. One sync per
    // walk; a checkpoint that cannot finish now leaves the walk safe in the
    // log for the next one.
    m_store.checkpoint();
}

SqlStatus HistoryRecorder::apply(const Event& event)
{
    switch (event.kind) {
    case Event::Kind::Begin:
        m_couponKey = couponKey(event.address);
        m_changes.clear();
        return m_store.beginWalk(event.address, event.timeMs, m_walkId);
    case Event::Kind::Goods:
        if (m_onChanges)
            m_changes.add(event.sighting.goodsId, event.sighting.price, event.count);
        return m_store.addSighting(m_walkId, event.sighting);
    case Event::Kind::Page:
        if (SqlStatus status = finishPageChanges(); !status.ok())
            return status;
        return m_store.setPages(m_walkId, event.pages);
    case Event::Kind::End:
        break;
    }
    // Goods of a page the walk left unfinished have their changes too.
    if (SqlStatus status = finishPageChanges(); !status.ok())
        return status;
    if (event.lost > 0 && m_onNotice)
        m_onNotice("历史记录文件被其他程序占用太久，" + std::to_string(event.lost) +
                   " 件商品未能记录，这次搜索不完整 (" + m_path + ")");
    return m_store.endWalk(m_walkId, event.timeMs, walkEndName(event.reason), event.lost == 0);
}

SqlStatus HistoryRecorder::finishPageChanges()
{
    if (!m_onChanges)
        return {};
    // Earlier walks are those stored before this one: the walks the
    // history's changes command compares a walk with.
    const std::vector<std::string> ids = m_changes.idsToAsk();
    SqlRows<ItemPrice> earlier;
    if (!ids.empty())
        earlier = m_store.earlierPrices(m_walkId, m_couponKey, ids);
    if (!earlier.status.ok())
        return earlier.status;
    if (std::vector<StoredChange> told = m_changes.finishPage(earlier.rows); !told.empty())
        m_found.push_back(std::move(told));
    return {};
}

void HistoryRecorder::giveUp(const std::string& cause)
{
    if (m_failed)
        return;
    m_failed = true;
    if (m_onNotice)
        m_onNotice("历史记录不可用：" + cause + " (" + m_path + ")");
}

} // namespace zorvane
