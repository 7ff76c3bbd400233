#include "search/page_analysis.h"

#include <future>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"
#include "core/walk_feedback.h"
#include "fixture_shop.h"
#include "real_pages.h"
#include "recording_sink.h"
#include "search/patterns.h"
#include "search/search_job.h"
#include "web/http_request.h"

namespace zorvane {
namespace {

const std::string kPaging =
    "<script>\n SEARCH.base_url='k=1';\n s.init(1, 3, 0, 0, 0, 0, 61, 0, 0, 0);\n</script>";

std::string goodsItem(const std::string& id, const std::string& quote = "\"")
{
    return "<li data-sku=" + quote + id + quote + " class=\"gl-item\"><div class=\"p-name\"><em>n" + id +
           "</em></div>\n</li>\n";
}

struct Collected
{
    PageVerdict verdict;
    std::vector<std::string> ids;
};

Collected analyse(const std::string& page, const Config& config = {})
{
    Collected c;
    c.verdict = analysePageText(page, config, [&](GoodsRecord&& r) { c.ids.push_back(r.goodsId); });
    return c;
}

TEST(PageText, BodyIsCutAtTheFirstNulAndMadeValidUtf8)
{
    EXPECT_EQ(pageTextFromBody(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(pageTextFromBody(std::string("\0abc", 4)), "");
    EXPECT_EQ(pageTextFromBody(""), "");
    EXPECT_EQ(pageTextFromBody("a\xFF"
                               "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(pageTextFromBody("\xEF\xBB\xBFok"), "\xEF\xBB\xBFok");
}

TEST(PageText, LoginMarkerUsesTheHost)
{
    EXPECT_EQ(loginRedirectMarker("passport.jd.com"),
              "<script>window.location.href=\"//passport.jd.com/new/login.aspx");
    EXPECT_EQ(kCouponExpiredMarker, "<h3 class=\"tip-title\">抱歉，优惠券已过期</h3>");
}

TEST(AnalysePageText, GoodsInPageOrderThenTheNextPage)
{
    const Collected c = analyse(goodsItem("11") + goodsItem("7", "'") +
                                "<LI CLASS=\"X\" DATA-SKU=\"99\">"
                                "<DIV>x</DIV>\n</LI>" +
                                kPaging);
    EXPECT_EQ(c.verdict.outcome, PageOutcome::GoodsFound);
    EXPECT_EQ(c.verdict.goodsCount, 3);
    EXPECT_EQ(c.ids, (std::vector<std::string>{"11", "7", "99"}));
    EXPECT_EQ(c.verdict.next.result, NextPageResult::Done);
    EXPECT_EQ(c.verdict.next.address, "https://search.jd.com/Search?k=1&page=2&s=61");
}

TEST(AnalysePageText, CouponExpiredWinsOverLoginAndGoods)
{
    const std::string coupon(kCouponExpiredMarker);
    const Collected c = analyse(goodsItem("1") + coupon + loginRedirectMarker("passport.jd.com") + kPaging);
    EXPECT_EQ(c.verdict.outcome, PageOutcome::CouponExpired);
    EXPECT_TRUE(c.ids.empty());
}

TEST(AnalysePageText, LoginPageOfTheConfiguredHostOnly)
{
    Config config;
    config.loginHost = "login.example.test";
    const std::string page = goodsItem("1") + loginRedirectMarker("login.example.test") + kPaging;
    EXPECT_EQ(analyse(page, config).verdict.outcome, PageOutcome::LoginRequired);
    EXPECT_EQ(analyse(page).verdict.outcome, PageOutcome::GoodsFound); // another host: a page like any other
}

TEST(AnalysePageText, NoGoodsAndMissingPaging)
{
    EXPECT_EQ(analyse(kPaging).verdict.outcome, PageOutcome::NoGoods);
    // An item must end with </div> and </li>.
    EXPECT_EQ(analyse("<li data-sku=\"5\">x</li>" + kPaging).verdict.outcome, PageOutcome::NoGoods);
    const Collected c = analyse(goodsItem("3"));
    EXPECT_EQ(c.verdict.outcome, PageOutcome::GoodsFound);
    EXPECT_EQ(c.verdict.next.result, NextPageResult::NotFound);
    EXPECT_EQ(c.ids, std::vector<std::string>{"3"});
}

TEST(AnalysePageText, LetterCaseFoldsAsciiLettersOnly)
{
    // U+017F (long s) and U+212A (Kelvin sign) are no s and k, wherever the pre-scan finds a name.
    const std::string longS = "\xC5\xBF";
    const std::string kelvin = "\xE2\x84\xAA";
    const std::string paging = "<script>\n SEARCH.base_url='k=1';\n";
    const std::string arguments = ".init(1, 3, 0, 0, 0, 0, 61, 0, 0, 0);\n</script>";
    const struct
    {
        std::string page;
        std::vector<std::string> ids;
        const char* failure; // of the next page
    } cases[] = {
        {"<li data-" + longS + "ku=\"5\"><div>x</div></li>" + goodsItem("6") + kPaging, {"6"}, ""},
        {"<li data-s" + kelvin + "u=\"5\"><div>x</div></li>" + goodsItem("6") + kPaging, {"6"}, ""},
        {"<LI DATA-SKU=\"5\"><div>x</DIV></Li>" + kPaging, {"5"}, ""},
        {goodsItem("1") + paging + " " + longS + arguments, {"1"}, "获取下一页地址失败(匹配js参数失败)"},
        {goodsItem("1") + paging + " s.init(1\n " + longS + arguments,
         {"1"},
         "获取下一页地址失败(匹配js参数失败)"},
        {goodsItem("1") + paging + " " + longS + ".init(1\n S" + arguments, {"1"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const Collected found = analyse(c.page);
        EXPECT_EQ(found.ids, c.ids);
        EXPECT_EQ(found.verdict.next.error, c.failure);
    }
}

class AnalysePageOverHttps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shop.start());
        state.config = shop.config();
        ASSERT_TRUE(state.createLocks().ok());
        job.params.nextPageAddress = shop.firstPageUrl();
        job.params.cookie = "user=typed";
        job.params.extraHeaders = "X-Test: 1";
    }

    test::FixtureShop shop;
    AppState state;
    testing::RecordingSink sink;
    FeedbackWalkObserver observer{state.log, sink};
    SearchJob job;
};

TEST_F(AnalysePageOverHttps, StoresEachItemWithItsMessageAndMovesOn)
{
    EXPECT_TRUE(analysePage(state, observer, job));
    const GoodsList stored = state.goods.snapshot();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].goodsId, "1001");
    EXPECT_EQ(stored[0].price, 11.5);
    EXPECT_EQ(stored[0].name, "测试商品 1-1");
    EXPECT_EQ(stored[0].tagText, "自营");
    EXPECT_EQ(stored[1].goodsId, "1002");
    const std::vector<Feedback> messages = sink.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].code, kFeedbackNewGoods);
    EXPECT_EQ(messages[0].number, 1);
    EXPECT_EQ(messages[1].number, 2);
    // Each message carries its record, with its page and its place there.
    for (std::size_t i = 0; i < messages.size(); ++i) {
        ASSERT_TRUE(messages[i].goods);
        EXPECT_EQ(messages[i].goods->record.goodsId, stored[i].goodsId);
        EXPECT_EQ(messages[i].goods->page, 1);
        EXPECT_EQ(messages[i].goods->place, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(job.params.nextPageAddress,
              "https://" + shop.searchHost() +
                  "/Search?keyword=%E6%B5%8B%E8%AF%95&enc=utf-8&coupon_batch=fixture"
                  "&page=2&s=61&click=0");
    // The shop's cookie is merged into the job; the completed headers kept.
    EXPECT_NE(job.params.cookie.find("user=typed"), std::string::npos);
    EXPECT_NE(job.params.cookie.find("shopsid=fixture1"), std::string::npos);
    EXPECT_NE(job.params.extraHeaders.find("X-Test: 1"), std::string::npos);
    EXPECT_NE(job.params.extraHeaders.find("Referer: " + shop.firstPageUrl()), std::string::npos);
    EXPECT_EQ(takeLogBuffer(state), "");
}

TEST_F(AnalysePageOverHttps, FailureTable)
{
    struct Row
    {
        test::ShopPage kind;
        const char* log;
        bool keepsAddress;
        bool pauses;
        bool result;
    };
    const Row rows[] = {
        {test::ShopPage::EmptyServerError, "搜索线程：访问失败，状态码：500", true, false, false},
        {test::ShopPage::CouponExpired, "搜索线程：优惠券已过期", false, false, true},
        {test::ShopPage::LoginRequired, "搜索线程：被京东限制，请输入Cookie后再进行搜索", false, false, true},
        {test::ShopPage::NoGoods, "搜索线程：未找到商品", true, true, false},
        {test::ShopPage::NoPaging, "搜索线程：获取下一页地址失败(匹配baseUrl失败)", true, true, false},
        {test::ShopPage::BadPagingCall, "搜索线程：获取下一页地址失败(执行脚本失败)", true, false, false},
    };
    for (const Row& row : rows) {
        shop.setPage(1, row.kind);
        if (state.walk.walking())
            state.walk.ended(nullptr, WalkEndReason::Stopped);
        state.walk.startPause(nullptr, [] { return true; }); // a walk runs
        takeLogBuffer(state);
        job.pausedItself = false;
        job.params.nextPageAddress = shop.firstPageUrl();
        EXPECT_EQ(analysePage(state, observer, job), row.result) << row.log;
        const std::string log = takeLogBuffer(state);
        EXPECT_EQ(log.substr(9), std::string(row.log) + "\r\n");
        EXPECT_EQ(job.params.nextPageAddress, row.keepsAddress ? shop.firstPageUrl() : "") << row.log;
        EXPECT_EQ(state.walk.waitForRequest(std::chrono::milliseconds(0)), row.pauses) << row.log;
        EXPECT_EQ(state.walk.state(), row.pauses ? RunState::Pausing : RunState::Running) << row.log;
        EXPECT_EQ(job.pausedItself, row.pauses) << row.log;
    }
}

TEST_F(AnalysePageOverHttps, EmptyBodiesFailWhateverTheStatus)
{
    const char body[] = "\0<li data-sku=\"1\"><div></div></li>";
    shop.setRawPage(1, 200, std::string(body, sizeof body - 1));
    EXPECT_FALSE(analysePage(state, observer, job));
    EXPECT_EQ(takeLogBuffer(state).substr(9), "搜索线程：访问失败，状态码：200\r\n");
    EXPECT_EQ(state.goods.size(), 0u);
}

TEST_F(AnalysePageOverHttps, FailedFetchLogsItsCause)
{
    struct Row
    {
        std::string address; // "" = the shop's first page
        std::string caFile;
        std::string log;
        bool pauses;
    };
    const std::string ca = shop.config().caFile;
    const std::string refused = "https://127.0.0.1:1/Search?x";
    const std::string badPort = "https://127.0.0.1:99999/Search?x";
    const Row rows[] = {
        {refused, ca, "搜索线程：访问失败，状态码：0\r\n搜索线程：原因：连接被拒绝\r\n", false},
        // The system store does not know the test CA.
        {"", "",
         "搜索线程：访问失败，状态码：0\r\n搜索线程：原因：证书无效：SSL certificate problem: unable to get "
         "local issuer certificate\r\n",
         false},
        {"", "/nonexistent/ca.pem",
         "搜索线程：访问失败，状态码：0\r\n搜索线程：原因：error setting certificate file: "
         "/nonexistent/ca.pem\r\n",
         false},
        {badPort, ca, "搜索线程：访问失败，地址无效：" + badPort + "\r\n", true},
    };
    for (const Row& row : rows) {
        state.config.caFile = row.caFile;
        if (state.walk.walking())
            state.walk.ended(nullptr, WalkEndReason::Stopped);
        state.walk.startPause(nullptr, [] { return true; }); // a walk runs
        takeLogBuffer(state);
        job.pausedItself = false;
        job.params.nextPageAddress = row.address.empty() ? shop.firstPageUrl() : row.address;
        EXPECT_FALSE(analysePage(state, observer, job)) << row.log;
        // Every line starts with its time stamp.
        const std::string raw = takeLogBuffer(state);
        std::string log;
        for (std::size_t at = 0, end; (end = raw.find("\r\n", at)) != std::string::npos; at = end + 2)
            log += raw.substr(at + 9, end + 2 - at - 9);
        EXPECT_EQ(log, row.log);
        EXPECT_EQ(job.params.nextPageAddress, row.address.empty() ? shop.firstPageUrl() : row.address);
        EXPECT_EQ(job.pausedItself, row.pauses) << row.log;
        EXPECT_EQ(state.walk.waitForRequest(std::chrono::milliseconds(0)), row.pauses) << row.log;
    }
}

TEST(StoreGoods, SendsTheCountAfterReleasingTheLock)
{
    AppState state;
    ASSERT_TRUE(state.createLocks().ok());
    testing::RecordingSink sink;
    FeedbackWalkObserver observer(state.log, sink);
    bool lockFree = false;
    sink.onSend = [&](const Feedback& message) {
        // The window's handler reads the store on its own thread; it must not wait here.
        auto reader = std::async(std::launch::async, [&] { return state.goods.copyAt(message.number); });
        lockFree = reader.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    };
    SearchJob job;
    GoodsRecord record;
    record.goodsId = "42";
    storeGoods(state, observer, job, record);
    storeGoods(state, observer, job, record); // the same id again is stored again
    EXPECT_TRUE(lockFree);
    ASSERT_EQ(state.goods.size(), 2u);
    const std::vector<Feedback> messages = sink.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].code, kFeedbackNewGoods);
    EXPECT_EQ(messages[1].number, 2);
}

} // namespace
} // namespace zorvane
