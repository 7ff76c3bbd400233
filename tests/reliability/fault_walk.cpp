#include "tests/reliability/fault_walk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/text.h"
#include "core/log.h"
#include "search/search_thread.h"

namespace zorvane::test {

namespace {

GoodsRecord earlierGoods(const std::string& id)
{
    GoodsRecord record;
    record.goodsId = id;
    record.name = "早先的商品 " + id;
    record.price = 12.5;
    record.tags = {"自营", "券"};
    record.tagText = "自营,券";
    return record;
}

} // namespace

void FaultWalk::openShop(FixtureShopOptions options)
{
    shop = std::make_unique<HostileShop>(options);
    ASSERT_TRUE(shop->start());
    state = std::make_unique<AppState>(shop->config());
    ASSERT_TRUE(state->createLocks().ok());
    m_earlier = {earlierGoods("900001"), earlierGoods("900002")};
    for (const GoodsRecord& record : m_earlier)
        state->goods.append(record);
}

void FaultWalk::walk(std::chrono::seconds bound)
{
    sink.onSend = [this](const Feedback& message) {
        if (message.code == kFeedbackNewGoods) {
            // The window's side: read the announced record back at once.
            std::optional<GoodsRecord> record = state->goods.copyAt(message.number);
            m_announced.push_back(record ? record->goodsId : "(missing)");
        } else if (message.code == kFeedbackSearchEnded) {
            atEnd = state->position.copy();
            if (message.end)
                endReason = message.end->reason;
            pausedAtEnd = state->walk.state() == RunState::Pausing;
        }
    };
    SearchInput typed;
    typed.address = shop->firstPageUrl();
    typed.interval = "0";
    typed.pageLimit = "0";
    typed.cookie = "user=typed";
    SearchStart start = prepareSearchStart(*state, typed);
    ASSERT_TRUE(start.accepted);
    state->walk.startPause(nullptr, [&] { return startSearchThread(*state, std::move(start.job), sink); });
    ASSERT_EQ(state->walk.state(), RunState::Running);
    if (!sink.waitFor(kFeedbackSearchEnded, bound)) {
        ADD_FAILURE() << "the walk did not end within " << bound.count() << " s";
        std::fprintf(stderr, "hang: the search thread is stuck after %zu requests; its log:\n%s\n",
                     shop->requestedPages().size(), takeLogBuffer(*state).c_str());
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
    state->workers.join(Worker::Search);
    state->walk.ended(nullptr, endReason);
}

std::vector<std::string> FaultWalk::logMessages()
{
    std::vector<std::string> messages;
    // The run control's own lines are not the walk's.
    const std::string runControl[] = {"开始成功", "已停止", "已暂停"};
    for (const std::string& line : splitText(takeLogBuffer(*state), "\r\n")) {
        const std::string message = line.substr(9);
        if (std::find(std::begin(runControl), std::end(runControl), message) == std::end(runControl))
            messages.push_back(message);
    }
    return messages;
}

int FaultWalk::countOf(const std::vector<std::string>& log, const std::string& message)
{
    int count = 0;
    for (const std::string& line : log)
        count += line == message;
    return count;
}

std::vector<std::string> FaultWalk::storedIds() const
{
    std::vector<std::string> ids;
    for (const GoodsRecord& record : state->goods.snapshot())
        ids.push_back(record.goodsId);
    return ids;
}

void FaultWalk::expectEarlierGoodsKept() const
{
    const GoodsList stored = state->goods.snapshot();
    ASSERT_GE(stored.size(), m_earlier.size());
    for (std::size_t i = 0; i < m_earlier.size(); ++i)
        EXPECT_EQ(stored[i], m_earlier[i]) << i;
}

void FaultWalk::expectRecovered(int failedFetches, const std::vector<int>& requestedPages)
{
    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(countOf(log, "搜索线程：访问失败，状态码：0"), failedFetches);
    EXPECT_EQ(log.back(), "搜索线程：搜索完毕");
    EXPECT_EQ(shop->requestedPages(), requestedPages);
    // Half a page stores nothing: every goods once, each announced once.
    const std::vector<std::string> stored = storedIds();
    EXPECT_EQ(stored, fixtureIds({1, 2, 3}));
    EXPECT_EQ(announcedIds(), std::vector<std::string>(stored.begin() + 2, stored.end()));
    expectEarlierGoodsKept();
}

std::vector<std::string> fixtureIds(std::initializer_list<int> pages)
{
    std::vector<std::string> ids{"900001", "900002"};
    for (int page : pages) {
        ids.push_back(FixtureShop::goodsId(page, 1));
        ids.push_back(FixtureShop::goodsId(page, 2));
    }
    return ids;
}

} // namespace zorvane::test
