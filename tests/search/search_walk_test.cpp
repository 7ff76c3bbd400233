#include <memory>

#include <gtest/gtest.h>

#include "base/text.h"
#include "core/app_state.h"
#include "core/log.h"
#include "fixture_shop.h"
#include "recording_sink.h"
#include "search/search_thread.h"

namespace zorvane {
namespace {

const std::string kQuery = "/Search?keyword=%E6%B5%8B%E8%AF%95&enc=utf-8&coupon_batch=fixture";

// Walks the fixture shop on a real search thread over real libcurl and plays
// the window's part of the end of a walk.
class SearchWalk : public ::testing::Test
{
protected:
    void openShop(test::FixtureShopOptions options = {})
    {
        shop = std::make_unique<test::FixtureShop>(options);
        ASSERT_TRUE(shop->start());
        state = std::make_unique<AppState>(shop->config());
        ASSERT_TRUE(state->createLocks().ok());
    }

    SearchInput input(int interval, int limit) const
    {
        SearchInput typed;
        typed.address = shop->firstPageUrl();
        typed.interval = std::to_string(interval);
        typed.pageLimit = std::to_string(limit);
        typed.extraHeaders = "X-Test: 1";
        typed.cookie = "user=typed";
        return typed;
    }

    // One walk from the start command to the window's handling of its end.
    void walk(const SearchInput& typed, std::function<void(const Feedback&)> onSend = {},
              std::function<void()> whileRunning = {})
    {
        sink = std::make_unique<testing::RecordingSink>();
        sink->onSend = [this, onSend](const Feedback& message) {
            if (message.code == kFeedbackSearchEnded) {
                atEnd = state->position.copy(); // the thread's write-back, before the window acts
                if (message.end)
                    end = *message.end;
            }
            if (onSend)
                onSend(message);
        };
        SearchStart start = prepareSearchStart(*state, typed);
        ASSERT_TRUE(start.accepted) << start.message;
        state->walk.startPause(nullptr,
                               [&] { return startSearchThread(*state, std::move(start.job), *sink); });
        ASSERT_EQ(state->walk.state(), RunState::Running);
        if (whileRunning)
            whileRunning();
        ASSERT_TRUE(sink->waitFor(kFeedbackSearchEnded));
        state->workers.join(Worker::Search);
        state->walk.ended(nullptr, end.reason);
    }

    void requestPause() { state->walk.startPause(nullptr, std::function<bool()>()); }
    void requestStop() { state->walk.stop(nullptr); }

    // The walk's log lines, without those of the run control.
    std::vector<std::string> logMessages()
    {
        std::vector<std::string> messages;
        for (const std::string& line : splitText(takeLogBuffer(*state), "\r\n")) {
            const std::string message = line.substr(9);
            if (!message.starts_with("搜索线程："))
                continue;
            messages.push_back(message);
        }
        return messages;
    }

    std::vector<std::string> storedIds()
    {
        std::vector<std::string> ids;
        for (const GoodsRecord& r : state->goods.snapshot())
            ids.push_back(r.goodsId);
        return ids;
    }

    std::string target(int page, int start) const
    {
        return kQuery + "&page=" + std::to_string(page) + "&s=" + std::to_string(start) + "&click=0";
    }

    std::unique_ptr<test::FixtureShop> shop;
    std::unique_ptr<AppState> state;
    std::unique_ptr<testing::RecordingSink> sink;
    SearchParams atEnd;
    WalkEnd end; // as the walk told it
};

TEST_F(SearchWalk, WalksEveryPageAndTellsTheWindow)
{
    openShop();
    walk(input(0, 0));

    const std::vector<test::TestRequest> requests = shop->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, kQuery);
    EXPECT_EQ(requests[1].target, target(2, 61));
    EXPECT_EQ(requests[2].target, target(3, 121));

    EXPECT_EQ(storedIds(), (std::vector<std::string>{"1001", "1002", "2001", "2002", "3001", "3002"}));
    const std::vector<Feedback> messages = sink->messages();
    // Each page's goods, then its end for observers; the walk's end last.
    std::vector<std::pair<int, std::int64_t>> told;
    for (const Feedback& message : messages)
        told.emplace_back(message.code, message.number);
    EXPECT_EQ(told, (std::vector<std::pair<int, std::int64_t>>{{kFeedbackNewGoods, 1},
                                                               {kFeedbackNewGoods, 2},
                                                               {kFeedbackPageDone, 1},
                                                               {kFeedbackNewGoods, 3},
                                                               {kFeedbackNewGoods, 4},
                                                               {kFeedbackPageDone, 2},
                                                               {kFeedbackNewGoods, 5},
                                                               {kFeedbackNewGoods, 6},
                                                               {kFeedbackPageDone, 3},
                                                               {kFeedbackSearchEnded, 0}}));

    EXPECT_EQ(logMessages(), (std::vector<std::string>{"搜索线程：(1页)正在搜索...", "搜索线程：已搜索1页",
                                                       "搜索线程：(2页)正在搜索...", "搜索线程：已搜索2页",
                                                       "搜索线程：(3页)正在搜索...", "搜索线程：已搜索3页",
                                                       "搜索线程：搜索完毕"}));
    EXPECT_EQ(atEnd.pagesDone, 3);
    EXPECT_EQ(atEnd.nextPageAddress, "");
    EXPECT_EQ(atEnd.goodsAddress, shop->firstPageUrl());
}

TEST_F(SearchWalk, CookiesAndHeadersTravelFromPageToPage)
{
    openShop();
    walk(input(0, 0));
    const std::vector<test::TestRequest> requests = shop->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header("Cookie").value_or(""), "user=typed");
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const std::string cookie = requests[i].header("Cookie").value_or("");
        EXPECT_NE(cookie.find("user=typed"), std::string::npos) << i;
        if (i > 0) {
            EXPECT_NE(cookie.find("shopsid=fixture1"), std::string::npos) << i;
        }
        // The Referer is the first page's address on every page.
        EXPECT_EQ(requests[i].header("Referer").value_or(""), shop->firstPageUrl()) << i;
        EXPECT_EQ(requests[i].header("X-Test").value_or(""), "1") << i;
    }
    // The write-back keeps the merged cookie and the completed headers.
    EXPECT_NE(atEnd.cookie.find("shopsid=fixture1"), std::string::npos);
    EXPECT_NE(atEnd.extraHeaders.find("Referer: " + shop->firstPageUrl()), std::string::npos);
}

TEST_F(SearchWalk, OneConnectionCarriesTheWholeWalk)
{
    for (const bool keepAlive : {true, false}) {
        test::FixtureShopOptions options;
        options.pages = 5;
        options.keepAlive = keepAlive;
        openShop(options);
        walk(input(0, 0));
        const std::vector<test::TestRequest> requests = shop->requests();
        ASSERT_EQ(requests.size(), 5u);
        // A shop that closes after every answer gets a new connection each page.
        EXPECT_EQ(shop->connectionCount(), keepAlive ? 1u : 5u);
        EXPECT_EQ(shop->handshakeCount(), keepAlive ? 1u : 5u);
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const test::HeaderList expected = {
                {"Host", shop->searchHost()},
                {"Cookie", i == 0 ? "user=typed" : "shopsid=fixture1; user=typed"},
                {"X-Test", "1"},
                {"Accept", "*/*"},
                {"Referer", shop->firstPageUrl()},
                {"Accept-Language", "zh-cn"},
                {"User-Agent", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
                {"Content-Type", "application/x-www-form-urlencoded"},
            };
            EXPECT_EQ(requests[i].method, "GET");
            EXPECT_EQ(requests[i].target,
                      i == 0 ? kQuery : target(static_cast<int>(i) + 1, 60 * static_cast<int>(i) + 1));
            EXPECT_EQ(requests[i].headers, expected) << i;
        }
        EXPECT_EQ(state->goods.size(), 10u);
    }
}

TEST_F(SearchWalk, TwiceLoadingSkipsEveryOtherShopPage)
{
    test::FixtureShopOptions options;
    options.twiceLoading = true;
    openShop(options);
    walk(input(0, 0));
    const std::vector<test::TestRequest> requests = shop->requests();
    ASSERT_EQ(requests.size(), 3u);
    // a1 = 2k-1, a7 = 60k+1: s = 60k+1 + 30 - 3 + 3 - 1 + 1.
    EXPECT_EQ(requests[1].target, target(3, 91));
    EXPECT_EQ(requests[2].target, target(5, 151));
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"1001", "1002", "2001", "2002", "3001", "3002"}));
}

TEST_F(SearchWalk, IntervalIsLoggedBetweenPages)
{
    openShop();
    walk(input(5, 0));
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{
                  "搜索线程：(1页)正在搜索...", "搜索线程：已搜索1页", "搜索线程：5毫秒后继续...",
                  "搜索线程：(2页)正在搜索...", "搜索线程：已搜索2页", "搜索线程：5毫秒后继续...",
                  "搜索线程：(3页)正在搜索...", "搜索线程：已搜索3页", "搜索线程：搜索完毕"}));
}

TEST_F(SearchWalk, PageLimitEndsWithoutFinishedLine)
{
    openShop();
    walk(input(0, 1));
    EXPECT_EQ(shop->requestedPages(), std::vector<int>{1});
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"搜索线程：(1页)正在搜索...", "搜索线程：已搜索1页"}));
    EXPECT_EQ(atEnd.pagesDone, 1);
    EXPECT_EQ(atEnd.nextPageAddress, "https://" + shop->searchHost() + target(2, 61));

    // A limit reached on the last page ends on the limit test.
    openShop();
    walk(input(0, 3));
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 3}));
    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(log.back(), "搜索线程：已搜索3页");
}

TEST_F(SearchWalk, PauseAndResumeContinueThePageCount)
{
    test::FixtureShopOptions options;
    options.pages = 10;
    openShop(options);
    walk(input(0, 5), [this](const Feedback& m) {
        if (m.code == kFeedbackNewGoods && m.number == 6) // the third page's last goods
            requestPause();
    });
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(atEnd.pagesDone, 3);
    EXPECT_EQ(atEnd.nextPageAddress, "https://" + shop->searchHost() + target(4, 181));
    EXPECT_EQ(state->position.copy().nextPageAddress, atEnd.nextPageAddress); // a pause keeps it
    takeLogBuffer(*state);

    SearchInput ignored = input(0, 0);
    ignored.address = "";
    walk(ignored);
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(atEnd.pagesDone, 5);
    EXPECT_EQ(state->goods.size(), 10u);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"搜索线程：(4页)正在搜索...", "搜索线程：已搜索4页",
                                                       "搜索线程：(5页)正在搜索...", "搜索线程：已搜索5页"}));
    // The resumed walk still sends the gathered cookie and the first Referer.
    const test::TestRequest fourth = shop->requests()[3];
    EXPECT_NE(fourth.header("Cookie").value_or("").find("shopsid=fixture1"), std::string::npos);
    EXPECT_EQ(fourth.header("Referer").value_or(""), shop->firstPageUrl());
}

TEST_F(SearchWalk, StopWithoutIntervalWritesBackAndTheWindowDiscards)
{
    test::FixtureShopOptions options;
    options.pages = 10;
    openShop(options);
    walk(input(0, 0), [this](const Feedback& m) {
        if (m.code == kFeedbackNewGoods && m.number == 4)
            requestStop();
    });
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2}));
    EXPECT_EQ(atEnd.pagesDone, 2);
    EXPECT_EQ(atEnd.nextPageAddress, "https://" + shop->searchHost() + target(3, 121));
    for (const std::string& line : logMessages())
        EXPECT_EQ(line.find("毫秒后继续"), std::string::npos) << line;
    EXPECT_EQ(state->position.copy().nextPageAddress, "");

    // The next start reads the input again and begins at the first page.
    walk(input(0, 1));
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(atEnd.pagesDone, 1);
}

TEST_F(SearchWalk, PauseDuringASlowPageFinishesThatPage)
{
    test::FixtureShopOptions options;
    options.delay = std::chrono::milliseconds(150);
    openShop(options);
    walk(input(0, 0), {}, [this] {
        // The shop has the request and holds its answer back: pause now.
        ASSERT_TRUE(shop->waitForRequests(1, std::chrono::seconds(10)));
        requestPause();
    });
    EXPECT_EQ(shop->requestedPages(), std::vector<int>{1});
    EXPECT_EQ(state->goods.size(), 2u);
    EXPECT_EQ(atEnd.pagesDone, 1);
    EXPECT_EQ(atEnd.nextPageAddress, "https://" + shop->searchHost() + target(2, 61));
}

TEST_F(SearchWalk, ServerErrorIsRetriedAtTheSameAddress)
{
    openShop();
    shop->setPage(2, test::ShopPage::EmptyServerError, 1);
    walk(input(0, 0));
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 2, 3}));
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"1001", "1002", "2001", "2002", "3001", "3002"}));
    const std::vector<std::string> log = logMessages();
    const std::vector<std::string> expected = {
        "搜索线程：(2页)正在搜索...", "搜索线程：访问失败，状态码：500", "搜索线程：1000毫秒后继续...",
        "搜索线程：(2页)正在搜索...", "搜索线程：已搜索2页"};
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.begin() + 7), expected);
    EXPECT_EQ(atEnd.pagesDone, 3);
}

TEST_F(SearchWalk, EachFurtherFailureOfAPageDoublesTheWaitAndASuccessResetsIt)
{
    openShop();
    shop->setPage(2, test::ShopPage::EmptyServerError, 2);
    shop->setPage(3, test::ShopPage::EmptyServerError, 1);
    walk(input(0, 0));
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 2, 2, 3, 3}));
    std::vector<std::string> waits;
    for (const std::string& line : logMessages()) {
        if (line.ends_with("毫秒后继续..."))
            waits.push_back(line);
    }
    EXPECT_EQ(waits, (std::vector<std::string>{"搜索线程：1000毫秒后继续...", "搜索线程：2000毫秒后继续...",
                                               "搜索线程：1000毫秒后继续..."}));
}

TEST(RetryWait, ASecondAtLeastDoubledUpToAMinute)
{
    struct Row
    {
        int interval, failures, wait;
    };
    const Row rows[] = {{0, 1, 1000},      {0, 2, 2000},      {0, 6, 32000},   {0, 7, 60000},
                        {0, 1000, 60000},  {1500, 1, 1500},   {1500, 3, 6000}, {50000, 2, 60000},
                        {90000, 1, 90000}, {90000, 5, 90000}, {999, 1, 1000},  {2147483647, 3, 2147483647}};
    for (const Row& row : rows)
        EXPECT_EQ(retryWait(row.interval, row.failures), row.wait) << row.interval << " " << row.failures;
}

TEST_F(SearchWalk, FailedPagingStoresThePageAgainOnRetry)
{
    openShop();
    shop->setPage(1, test::ShopPage::BadPagingCall, 1);
    walk(input(0, 1));
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 1}));
    EXPECT_EQ(storedIds(), (std::vector<std::string>{"1001", "1002", "1001", "1002"}));
}

TEST_F(SearchWalk, PageWithoutGoodsPausesAtThatPage)
{
    openShop();
    shop->setPage(2, test::ShopPage::NoGoods);
    walk(input(0, 0));
    EXPECT_EQ(state->walk.state(), RunState::Paused);
    EXPECT_EQ(atEnd.pagesDone, 1);
    EXPECT_EQ(atEnd.nextPageAddress, "https://" + shop->searchHost() + target(2, 61));
    EXPECT_EQ(state->position.copy().nextPageAddress, atEnd.nextPageAddress);
    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(log.back(), "搜索线程：未找到商品");
}

TEST_F(SearchWalk, CouponAndLoginPagesEndTheWalk)
{
    for (test::ShopPage kind : {test::ShopPage::CouponExpired, test::ShopPage::LoginRequired}) {
        openShop();
        shop->setPage(2, kind);
        walk(input(0, 0));
        EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2}));
        EXPECT_EQ(atEnd.pagesDone, 2);
        EXPECT_EQ(atEnd.nextPageAddress, "");
        const std::vector<std::string> log = logMessages();
        ASSERT_EQ(log.size(), 6u);
        EXPECT_EQ(log[3], kind == test::ShopPage::CouponExpired
                              ? "搜索线程：优惠券已过期"
                              : "搜索线程：被京东限制，请输入Cookie后再进行搜索");
        EXPECT_EQ(log[5], "搜索线程：搜索完毕");
    }
}

} // namespace
} // namespace zorvane
