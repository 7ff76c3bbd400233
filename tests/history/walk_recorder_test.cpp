// The 变化 the recorder tells a front end while a walk runs: per goods item,
// the walk's lowest price so far against the coupon's last earlier walk that
// saw the item, every one told before the walk's end reaches the front end,
// and in the end the same texts as the changes of the walk read back.
#include "history/walk_recorder.h"

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "history/coupon_key.h"
#include "history/history_recorder.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

const std::string kAddress = "https://search.jd.com/Search?coupon_batch=4711&coupon_id=9";

struct Seen
{
    int page;
    std::string goodsId;
    double price;
};

// The front end after the recorder: what had been told when the end came.
class FrontEnd final : public WalkObserver
{
public:
    explicit FrontEnd(const std::function<std::vector<StoredChange>()>& told) : m_told(told) {}
    void walkStarted(const WalkStart&) override {}
    void pageStarted(int) override {}
    void pageDone(int) override {}
    void goodsStored(const StoredGoods&) override {}
    void logLine(std::string_view) override {}
    void walkEnded(const WalkEnd&) override { toldAtEnd = m_told(); }

    std::vector<StoredChange> toldAtEnd;

private:
    std::function<std::vector<StoredChange>()> m_told;
};

// Each record's text once the told changes are applied in order, by store
// position from 1.
std::vector<std::string> appliedTexts(const std::vector<StoredChange>& told, std::size_t records)
{
    std::vector<std::string> texts(records);
    for (const StoredChange& change : told) {
        EXPECT_GE(change.count, 1);
        EXPECT_LE(change.count, static_cast<std::int64_t>(records));
        if (change.count >= 1 && change.count <= static_cast<std::int64_t>(records))
            texts[static_cast<std::size_t>(change.count - 1)] = change.change;
    }
    return texts;
}

TEST(WalkRecorder, TellsEachGoodsItemsChangeBeforeTheWalkEnds)
{
    struct Case
    {
        const char* name;
        std::vector<std::vector<Seen>> walks; // the last one is watched
        std::vector<std::string> texts;       // its records' 变化
        int unended = -1;                     // a walk whose end never came (its program died)
    };
    const std::vector<Case> cases = {
        {"a first walk is all new", {{{1, "1", 10}, {2, "2", 5}, {2, "1", 10}}}, {"新", "新", "新"}},
        {"two identical walks, an item repeated at another price",
         {{{1, "1", 10}, {1, "2", 5}, {2, "1", 12}}, {{1, "1", 10}, {1, "2", 5}, {2, "1", 12}}},
         {"", "", ""}},
        {"a later page's lower price takes back a rise",
         {{{1, "1", 10}}, {{1, "1", 12}, {2, "1", 10}}},
         {"", ""}},
        {"a later page's lower price makes a drop of both rows",
         {{{1, "1", 10}}, {{1, "1", 10}, {2, "1", 8}}},
         {"降¥2.00", "降¥2.00"}},
        {"new, cheaper and dearer against the last walk that saw each item",
         {{{1, "1", 10}, {1, "2", 5}}, {{1, "2", 5}}, {{1, "1", 9}, {1, "2", 6}, {2, "3", 1}}},
         {"降¥1.00", "涨¥1.00", "新"}},
        {"a walk not in the file whole is never compared against",
         {{{1, "1", 10}}, {{1, "1", 5}}, {{1, "1", 9}}},
         {"降¥1.00"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string db = dir.file("goods.sqlite");
        std::mutex mutex;
        std::vector<StoredChange> told;
        std::vector<std::string> notices;
        HistoryRecorder recorder(
            db, [&](const std::string& notice) { notices.push_back(notice); },
            [&](std::vector<StoredChange> page) {
                std::lock_guard guard(mutex);
                told.insert(told.end(), page.begin(), page.end());
            });
        FrontEnd front([&] {
            std::lock_guard guard(mutex);
            return told;
        });
        for (std::size_t w = 0; w < c.walks.size(); ++w) {
            const std::vector<Seen>& walk = c.walks[w];
            {
                std::lock_guard guard(mutex);
                told.clear();
            }
            WalkRecorder recorded(recorder, front);
            recorded.walkStarted({kAddress, 0});
            std::int64_t count = 0;
            int place = 0;
            for (std::size_t i = 0; i < walk.size(); ++i) {
                GoodsRecord record;
                record.goodsId = walk[i].goodsId;
                record.price = walk[i].price;
                recorded.goodsStored({record, walk[i].page, ++place, ++count});
                if (i + 1 == walk.size() || walk[i + 1].page != walk[i].page) {
                    recorded.pageDone(walk[i].page);
                    place = 0;
                }
            }
            if (static_cast<int>(w) == c.unended)
                recorder.waitWritten();
            else
                recorded.walkEnded({WalkEndReason::Finished, walk.back().page, "", ""});
        }
        EXPECT_EQ(appliedTexts(front.toldAtEnd, c.walks.back().size()), c.texts);
        EXPECT_TRUE(notices.empty());

        // The same texts as the changes of the walk read back from the file.
        HistoryStore store;
        ASSERT_TRUE(store.open(db).status.ok());
        const std::string key = couponKey(kAddress);
        const SqlRows<SightingChange> changes = store.changes(store.lastWalk(key)->id, key);
        std::vector<std::string> readBack;
        for (const SightingChange& item : changes.rows)
            readBack.push_back(changeText(item.change));
        EXPECT_EQ(readBack, c.texts);
    }
}

// Another program holds the file (a second connection in an exclusive
// transaction) past the busy timeout while a walk of 300 goods goes on after
// its first page: what comes is kept and written once the file is free, or
// the walk is marked not whole. Either way a later walk is recorded whole.
TEST(WalkRecorder, KeepsWhatComesWhileAnotherProgramHoldsTheFile)
{
    struct Case
    {
        const char* name;
        RecorderBounds bounds;
        std::int64_t goodsInFile; // of the held walk
        bool whole;
        bool ended;
        const char* notice; // in the last notice
    };
    RecorderBounds kept;
    kept.heldGoods = 100;
    RecorderBounds brief;
    brief.endWait = std::chrono::milliseconds(500);
    const std::vector<Case> cases = {
        {"written once free", {}, 300, true, true, "稍后再写"},
        {"past the goods kept", kept, 130, false, true, "170 件商品未能记录"},
        {"past the end's wait", brief, 30, false, false, "270 件商品未能记录"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string db = dir.file("goods.sqlite");
        std::mutex mutex;
        std::vector<std::string> notices;
        HistoryRecorder recorder(
            db,
            [&](const std::string& notice) {
                std::lock_guard guard(mutex);
                notices.push_back(notice);
            },
            {}, c.bounds);
        FrontEnd front([] { return std::vector<StoredChange>(); });
        const auto walk = [&](int pages, const auto& afterFirstPage) {
            WalkRecorder recorded(recorder, front);
            recorded.walkStarted({kAddress, 0});
            std::int64_t count = 0;
            for (int page = 1; page <= pages; ++page) {
                for (int place = 1; place <= 30; ++place) {
                    GoodsRecord record;
                    record.goodsId = std::to_string(page * 100 + place);
                    record.price = page + place / 100.0;
                    recorded.goodsStored({record, page, place, ++count});
                }
                recorded.pageDone(page);
                if (page == 1)
                    afterFirstPage();
            }
            recorded.walkEnded({WalkEndReason::Finished, pages, "", ""});
        };
        SqlDatabase holder;
        ASSERT_TRUE(holder.open(db).ok());
        std::thread release;
        walk(10, [&] {
            recorder.waitWritten();
            ASSERT_TRUE(holder.exec("PRAGMA busy_timeout = 5000; BEGIN EXCLUSIVE").ok());
            release = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::seconds(6));
                EXPECT_TRUE(holder.exec("COMMIT").ok());
            });
        });
        release.join();
        walk(1, [] {});

        HistoryStore store;
        ASSERT_TRUE(store.openForReading(db).ok());
        const std::vector<WalkSummary> walks = store.listWalks().rows;
        ASSERT_EQ(walks.size(), 2u);
        EXPECT_EQ(walks[0].goodsCount, c.goodsInFile);
        EXPECT_EQ(walks[0].whole, c.whole);
        EXPECT_EQ(walks[0].endedMs.has_value(), c.ended);
        EXPECT_EQ(walks[1].goodsCount, 30);
        EXPECT_TRUE(walks[1].whole);
        std::lock_guard guard(mutex);
        ASSERT_FALSE(notices.empty());
        EXPECT_NE(notices.back().find(c.notice), std::string::npos) << notices.back();
    }
}

} // namespace
} // namespace zorvane::test
