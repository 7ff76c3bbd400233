#include "history/history_recorder.h"

#include <algorithm>
#include <utility>

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
                                 std::chrono::milliseconds flushEvery)
    : m_path(std::move(path)), m_onNotice(std::move(onNotice)), m_onChanges(std::move(onChanges)),
      m_flushEvery(flushEvery), m_writer([this] { writerLoop(); })
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
    queue(std::move(event), true);
}

void HistoryRecorder::queue(Event event, bool commitNow)
{
    // The writer wakes for a page, not for each goods item: a page's goods
    // come just before its end.
    const bool wake = event.kind != Event::Kind::Goods || commitNow;
    {
        std::lock_guard guard(m_mutex);
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
    std::vector<Event> batch;
    std::uint64_t pending = 0; // events taken since the last commit
    bool walkEnded = false;    // one of them ended a walk
    auto lastCommit = std::chrono::steady_clock::now() - m_flushEvery;
    for (;;) {
        bool quit = false;
        bool commitNow = false;
        {
            std::unique_lock lock(m_mutex);
            const auto ready = [&] { return m_quit || m_commitNow || !m_queue.empty(); };
            if (pending == 0)
                m_wake.wait(lock, ready);
            else
                m_wake.wait_until(lock, lastCommit + m_flushEvery, ready);
            batch.swap(m_queue);
            commitNow = m_commitNow;
            m_commitNow = false;
            quit = m_quit;
        }
        // Each page is written as it comes, so that a fast walk's writing
        // goes on beside it; the transaction is committed at most once per
        // flushEvery (a commit writes every touched page again), at once at
        // a walk's end.
        if (usable && !m_failed && !batch.empty()) {
            if (SqlStatus status = write(batch); !status.ok())
                giveUp(status.message);
        }
        pending += batch.size();
        walkEnded = walkEnded || endsWalk(batch);
        batch.clear();
        const bool due = commitNow || quit || std::chrono::steady_clock::now() >= lastCommit + m_flushEvery;
        if (pending > 0 && due) {
            commit();
            lastCommit = std::chrono::steady_clock::now();
            {
                std::lock_guard guard(m_mutex);
                m_writtenCount += pending;
            }
            m_written.notify_all();
            pending = 0;
            // After the waiters are let go: a walk's end waits for its
            // commit, never for readers of the file.
            if (walkEnded && !m_failed)
                checkpoint();
            walkEnded = false;
        }
        if (quit)
            return;
    }
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

SqlStatus HistoryRecorder::write(const std::vector<Event>& batch)
{
    if (!m_inTransaction) {
        if (SqlStatus status = m_store.beginTransaction(); !status.ok())
            return status;
        m_inTransaction = true;
    }
    for (const Event& event : batch) {
        if (SqlStatus status = apply(event); !status.ok()) {
            m_store.rollback();
            m_inTransaction = false;
            m_found.clear();
            return status;
        }
    }
    return {};
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
    for (std::vector<StoredChange>& page : m_found)
        m_onChanges(std::move(page));
    m_found.clear();
}

bool HistoryRecorder::endsWalk(const std::vector<Event>& batch)
{
    return std::any_of(batch.begin(), batch.end(),
                       [](const Event& event) { return event.kind == Event::Kind::End; });
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
    return m_store.endWalk(m_walkId, event.timeMs, walkEndName(event.reason));
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
