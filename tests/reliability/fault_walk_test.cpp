// A hostile shop on 127.0.0.1: every bad answer ends as a failed page that is
// asked again, or as a pause, within its bound; the goods gathered before the
// walk and on the good pages are all in the store, each once.
#include "tests/reliability/fault_walk.h"

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

#include "web/http_request.h"

using namespace std::chrono_literals;

namespace zorvane::test {
namespace {

const std::string kFetchFailed = "搜索线程：访问失败，状态码：0";
const std::string kFinished = "搜索线程：搜索完毕";

std::vector<std::string> walkIds(const std::vector<std::string>& stored)
{
    return std::vector<std::string>(stored.begin() + 2, stored.end());
}

TEST_F(FaultWalk, BodyOverTheSizeBoundFailsThePageWhichIsAskedAgain)
{
    // Chunked, so that no length announces it: the bound is met while reading.
    TestResponse huge = HostileShop::pageAnswer(std::string(HttpRequest().maxBodyBytes + 1, 'x'));
    huge.chunked = true;
    shop->queue(2, std::move(huge));
    walk(120s);
    expectRecovered(1, {1, 2, 2, 3});
}

TEST_F(FaultWalk, BacktrackingPageIsReadInBoundedTimeAndTheWalkGoesOn)
{
    // Before the goods: one tag holding a hundred thousand "<li" with
    // attributes but no data-sku. After them: a hundred thousand items that
    // never end.
    std::string page = shop->pageText(2);
    std::string openTag;
    for (int i = 0; i < 100000; ++i)
        openTag += "<li data-x=\"1\" ";
    page.insert(page.find("<div id=\"J_goodsList\">"), openTag + ">\n");
    std::string unterminated;
    for (int i = 0; i < 100000; ++i)
        unterminated += "<li data-sku=\"1\"><div>x</div> ";
    page.insert(page.find("</ul>"), unterminated);
    shop->queue(2, HostileShop::pageAnswer(page));
    walk(60s);

    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(log.back(), kFinished);
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(storedIds(), fixtureIds({1, 2, 3}));
    expectEarlierGoodsKept();
}

TEST_F(FaultWalk, ItemsBuiltToStallTheExtractionCostBoundedTime)
{
    // Sixteen items of 400 KB, each a run of name and price blocks that never
    // hold a name or a price: every block makes a pattern read on to the
    // item's end, about 80 s in all before the extraction had a time budget.
    std::string stalling;
    for (int item = 0; item < 16; ++item) {
        stalling += "<li data-sku=\"" + std::to_string(5550 + item) + "\">";
        for (int i = 0; i < 10000; ++i)
            stalling += "<div class=\"p-name\"><div class=\"p-price\">";
        stalling += "</div></li>\n";
    }
    std::string page = shop->pageText(2);
    page.insert(page.find("</ul>"), stalling);
    shop->queue(2, HostileShop::pageAnswer(page));
    walk(60s);

    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(log.back(), kFinished);
    std::vector<std::string> expected = fixtureIds({1, 2});
    for (int item = 0; item < 16; ++item)
        expected.push_back(std::to_string(5550 + item));
    for (const std::string& id : fixtureIds({3}))
        if (id.size() == 4)
            expected.push_back(id);
    EXPECT_EQ(storedIds(), expected);
    expectEarlierGoodsKept();
    // The real goods before them keep their fields; theirs stay empty.
    const GoodsList stored = state->goods.snapshot();
    EXPECT_EQ(stored[5].name, "测试商品 2-2");
    EXPECT_EQ(stored[5].price, FixtureShop::price(2, 2));
    for (std::size_t i = 6; i < 22; ++i) {
        EXPECT_EQ(stored[i].name, "") << i;
        EXPECT_EQ(stored[i].price, 0) << i;
    }
    // One line names the page and how many of its goods were cut short.
    const std::string head = "搜索线程：(2页)提取超时，";
    const std::string tail = "件商品只保存了编号";
    std::vector<std::string> cut;
    std::copy_if(log.begin(), log.end(), std::back_inserter(cut),
                 [&](const std::string& line) { return line.starts_with(head) && line.ends_with(tail); });
    ASSERT_EQ(cut.size(), 1u);
    const int count = std::stoi(cut[0].substr(head.size(), cut[0].size() - head.size() - tail.size()));
    EXPECT_GE(count, 1);
    EXPECT_LE(count, 16);
}

TEST_F(FaultWalk, SilentServerTimesOutAndThePageIsAskedAgain)
{
    TestResponse silent;
    silent.stall = true;
    shop->queue(2, silent);
    walk(120s); // the time-out is 15 s
    expectRecovered(1, {1, 2, 2, 3});
}

TEST_F(FaultWalk, ConnectionBrokenInTheMiddleOfABodyFailsThePage)
{
    TestResponse reset = HostileShop::pageAnswer(shop->pageText(2));
    reset.fault = ResponseFault::ResetMidBody;
    TestResponse closed = HostileShop::pageAnswer(shop->pageText(3));
    closed.fault = ResponseFault::CloseMidBody;
    shop->queue(2, reset);
    shop->queue(3, closed);
    walk();
    expectRecovered(2, {1, 2, 2, 3, 3});
}

TEST_F(FaultWalk, NulBytesAndInvalidUtf8)
{
    // Page 1: broken UTF-8 (a lone continuation byte, a truncated sequence,
    // GBK bytes) inside a name.
    std::string page1 = shop->pageText(1);
    const std::string name = "测试商品 1-1";
    page1.replace(page1.find(name), name.size(), "\x80坏\xE6\xB5 \xB2\xE2\xCA\xD4");
    shop->queue(1, HostileShop::pageAnswer(page1));
    // Page 2: a NUL first, so the page text is empty.
    shop->queue(2, HostileShop::pageAnswer(std::string(1, '\0') + shop->pageText(2)));
    // Page 3: a NUL between the goods and the paging script.
    std::string page3 = shop->pageText(3);
    page3.insert(page3.find("<script>"), std::string(1, '\0'));
    shop->queue(3, HostileShop::pageAnswer(page3));
    walk();

    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(countOf(log, "搜索线程：访问失败，状态码：200"), 1);
    // The goods before the NUL are kept; the paging after it is missing, so
    // the walk pauses at page 3.
    EXPECT_EQ(countOf(log, "搜索线程：获取下一页地址失败(匹配baseUrl失败)"), 1);
    EXPECT_TRUE(pausedAtEnd);
    EXPECT_NE(atEnd.nextPageAddress.find("page=3"), std::string::npos);
    EXPECT_EQ(atEnd.pagesDone, 2);
    EXPECT_EQ(shop->requestedPages(), (std::vector<int>{1, 2, 2, 3}));
    EXPECT_EQ(storedIds(), fixtureIds({1, 2, 3}));
    expectEarlierGoodsKept();

    const GoodsList stored = state->goods.snapshot();
    const GoodsRecord& broken = stored[2];
    EXPECT_EQ(broken.name, "\xEF\xBF\xBD坏\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(broken.price, FixtureShop::price(1, 1));
    EXPECT_EQ(broken.tagText, "自营");
}

TEST_F(FaultWalk, ThousandsOfSetCookieLinesTravelOnAndCanBeDeleted)
{
    constexpr int kCookies = 4000;
    TestResponse first = HostileShop::pageAnswer(shop->pageText(1));
    for (int i = 0; i < kCookies; ++i)
        first.headers.emplace_back("Set-Cookie",
                                   "k" + std::to_string(i) + "=v" + std::to_string(i) + "; Path=/");
    shop->queue(1, first);
    TestResponse second = HostileShop::pageAnswer(shop->pageText(2));
    second.headers.emplace_back("Set-Cookie", "k5=deleted; Path=/");
    shop->queue(2, second);
    walk();

    EXPECT_EQ(logMessages().back(), kFinished);
    EXPECT_EQ(storedIds(), fixtureIds({1, 2, 3}));
    expectEarlierGoodsKept();
    const std::vector<TestRequest> requests = shop->requests();
    ASSERT_EQ(requests.size(), 3u);
    const std::string cookie2 = requests[1].header("Cookie").value_or("");
    const std::string cookie3 = requests[2].header("Cookie").value_or("");
    EXPECT_EQ(std::count(cookie2.begin(), cookie2.end(), '='), kCookies + 1);
    EXPECT_EQ(cookie2.substr(0, 12), "k0=v0; k1=v1");
    EXPECT_NE(cookie2.find("; k5=v5; "), std::string::npos);
    EXPECT_NE(cookie2.find("; k3999=v3999; user=typed"), std::string::npos);
    EXPECT_EQ(cookie3.find("k5="), std::string::npos);
    EXPECT_EQ(std::count(cookie3.begin(), cookie3.end(), '='), kCookies);
    EXPECT_EQ(atEnd.cookie, cookie3);
}

TEST_F(FaultWalk, CookiesSetOnEveryPagePileUpWithoutStallingTheWalk)
{
    // As many Set-Cookie lines as the transfer takes (its header bound is
    // 300 KB), new ones on each of ten pages: the walk carries them all.
    constexpr int kPages = 10;
    constexpr int kPerPage = 7000;
    FixtureShopOptions options;
    options.pages = kPages;
    openShop(options);
    for (int page = 1; page <= kPages; ++page) {
        TestResponse answer = HostileShop::pageAnswer(shop->pageText(page));
        for (int i = 0; i < kPerPage; ++i)
            answer.headers.emplace_back("Set-Cookie", "p" + std::to_string(page) + "k" + std::to_string(i) +
                                                          "=" + std::to_string(i) + "; Path=/");
        shop->queue(page, answer);
    }
    walk(60s);

    const std::vector<std::string> log = logMessages();
    EXPECT_EQ(countOf(log, kFetchFailed), 0);
    EXPECT_EQ(log.back(), kFinished);
    EXPECT_EQ(std::count(atEnd.cookie.begin(), atEnd.cookie.end(), '='), kPages * kPerPage + 1);
    EXPECT_EQ(atEnd.cookie.substr(0, 9), "p10k0=0; ");
    EXPECT_TRUE(atEnd.cookie.ends_with("; p1k6999=6999; user=typed"));
    expectEarlierGoodsKept();
}

TEST_F(FaultWalk, ThirtyMegabytePageOfValidGoods)
{
    FixtureShopOptions options;
    options.itemsPerPage = 64000;
    const std::string big = FixtureShop(options).pageText(1);
    ASSERT_GT(big.size(), 30u << 20);
    shop->queue(1, HostileShop::pageAnswer(big));
    walk(300s);

    EXPECT_EQ(logMessages().back(), kFinished);
    const std::vector<std::string> stored = storedIds();
    ASSERT_EQ(stored.size(), 2u + 64000u + 4u);
    for (int i = 1; i <= 64000; ++i)
        ASSERT_EQ(stored[static_cast<std::size_t>(i + 1)], FixtureShop::goodsId(1, i)) << i;
    EXPECT_EQ(announcedIds(), walkIds(stored));
    expectEarlierGoodsKept();
}

} // namespace
} // namespace zorvane::test
