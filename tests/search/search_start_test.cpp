#include <chrono>
#include <limits>
#include <thread>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"
#include "search/search_thread.h"

namespace zorvane {
namespace {

class SearchStartTest : public ::testing::Test
{
protected:
    SearchStartTest() { EXPECT_TRUE(state.createLocks().ok()); }

    SearchInput typed(std::string address = "https://search.jd.com/Search?coupon_batch=1")
    {
        SearchInput input;
        input.address = std::move(address);
        input.interval = "1000";
        input.pageLimit = "0";
        input.extraHeaders = "X-A: 1";
        input.cookie = "a=1";
        return input;
    }

    AppState state;
};

TEST_F(SearchStartTest, FreshStartMakesTheJobOfTheInputAndParksNothing)
{
    SearchInput input = typed("\xE3\x80\x80 https://x.test/Search?a=1 \xE3\x80\x80");
    input.interval = "1.9";
    input.pageLimit = "-0.5";
    SearchParams before;
    before.pagesDone = 7;
    state.position.install(before);
    const SearchStart start = prepareSearchStart(state, input);
    EXPECT_TRUE(start.accepted);
    EXPECT_FALSE(start.resume);
    EXPECT_EQ(start.field, InputField::None);
    SearchParams expected;
    expected.goodsAddress = "https://x.test/Search?a=1";
    expected.pageInterval = 1;
    expected.pageLimit = 0;
    expected.extraHeaders = "X-A: 1";
    expected.cookie = "a=1";
    EXPECT_EQ(start.job.params, expected);
    EXPECT_EQ(walkStartOf(start.job).address, "https://x.test/Search?a=1");
    EXPECT_EQ(walkStartOf(start.job).pagesBefore, 0);
    EXPECT_EQ(state.position.copy(), before);
}

TEST_F(SearchStartTest, RefusalsNameTheInputAndChangeNothing)
{
    struct Case
    {
        std::string address, interval, pageLimit;
        InputField field;
        const char* message;
    };
    const Case cases[] = {
        {" \xE3\x80\x80 ", "1", "1", InputField::Address, "请输入可用商品地址"},
        {"", "1", "1", InputField::Address, "请输入可用商品地址"},
        {"abc", "1", "1", InputField::Address, "请输入正确的可用商品地址(http或https)"},
        {"file:///etc/passwd", "1", "1", InputField::Address, "请输入正确的可用商品地址(http或https)"},
        {"https://", "-1", "1", InputField::Address, "请输入正确的可用商品地址(http或https)"},
        {"http://x", "-1", "1", InputField::Interval, "翻页间隔不能为负数"},
        {"HTTPS://x", "-1.5", "-1", InputField::Interval, "翻页间隔不能为负数"},
        {"https://x", "0", "-3", InputField::PageLimit, "搜索页数不能为负数"},
    };
    SearchParams old;
    old.goodsAddress = "old";
    state.position.install(old);
    for (const Case& c : cases) {
        SearchInput input = typed(c.address);
        input.interval = c.interval;
        input.pageLimit = c.pageLimit;
        const SearchStart start = prepareSearchStart(state, input);
        EXPECT_FALSE(start.accepted) << c.message;
        EXPECT_EQ(start.field, c.field);
        EXPECT_EQ(start.message, c.message);
        EXPECT_EQ(state.position.copy().goodsAddress, "old");
    }
}

// A pasted address brings along whatever stood around it in the source.
TEST_F(SearchStartTest, WhiteSpaceAroundTheAddressIsTrimmed)
{
    const struct
    {
        const char* typed;
        const char* installed; // nullptr: refused as empty
    } cases[] = {
        {"\thttps://x.test/", "https://x.test/"},
        {"\r\nhttps://x.test/\r\n", "https://x.test/"},
        {"https://x.test/\n", "https://x.test/"},
        {"\xC2\xA0https://x.test/\xE3\x80\x80", "https://x.test/"}, // no-break space, U+3000
        {"\xEF\xBB\xBFhttps://x.test/\xE2\x80\x8B \t", "https://x.test/"},
        {"\v\fhttps://x.test/a\tb\xC2\xA0", "https://x.test/a\tb"},
        {"https://x.test/\xE4\xB8\x80", "https://x.test/\xE4\xB8\x80"}, // a character, not a space
        {"\t\r\n\xC2\xA0", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        state.position.install({});
        const SearchStart start = prepareSearchStart(state, typed(c.typed));
        EXPECT_EQ(start.accepted, c.installed != nullptr);
        EXPECT_EQ(start.job.params.goodsAddress, c.installed ? c.installed : "");
        EXPECT_EQ(start.message, c.installed ? "" : "请输入可用商品地址");
    }
}

TEST_F(SearchStartTest, ResumeReadsNoInput)
{
    SearchParams before;
    before.nextPageAddress = "https://x.test/Search?page=4";
    before.pagesDone = 3;
    state.position.install(before);
    const SearchStart start = prepareSearchStart(state, typed(""));
    EXPECT_TRUE(start.accepted);
    EXPECT_TRUE(start.resume);
    EXPECT_EQ(start.job.params, before);
    EXPECT_EQ(walkStartOf(start.job).address, before.nextPageAddress);
    EXPECT_EQ(walkStartOf(start.job).pagesBefore, 3);
}

TEST_F(SearchStartTest, BusyFilterOrSortRefusesWithoutAMessage)
{
    // The start command has made the session Running itself: no refusal for that.
    state.walk.startPause(nullptr, [&] {
        EXPECT_TRUE(state.workers.start(Worker::Filter, [] {}));
        const SearchStart start = prepareSearchStart(state, typed());
        state.workers.join(Worker::Filter);
        EXPECT_FALSE(start.accepted);
        EXPECT_EQ(start.message, "");
        return false;
    });
    EXPECT_EQ(takeLogBuffer(state).substr(9, 17), "正在筛选中\r\n");
    EXPECT_EQ(state.position.copy().goodsAddress, "");
}

TEST(ReadWholeNumber, TruncatesTowardZeroAndClamps)
{
    EXPECT_EQ(readWholeNumber("1.9"), 1);
    EXPECT_EQ(readWholeNumber("-0.5"), 0);
    EXPECT_EQ(readWholeNumber("-1.5"), -1);
    EXPECT_EQ(readWholeNumber("abc"), 0);
    EXPECT_EQ(readWholeNumber(""), 0);
    EXPECT_EQ(readWholeNumber(" 250ms"), 250);
    EXPECT_EQ(readWholeNumber("1e3"), 1000);
    EXPECT_EQ(readWholeNumber("99999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(readWholeNumber("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(readWholeNumber("1e999"), std::numeric_limits<int>::max());
}

TEST(WaitInterval, EndsOnTheEventOrTheTime)
{
    AppState state;
    ASSERT_TRUE(state.createLocks().ok());
    EXPECT_FALSE(waitInterval(state, 0));
    EXPECT_FALSE(waitInterval(state, 5));
    state.walk.startPause(nullptr, [] { return true; });
    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state.walk.stop(nullptr);
    });
    EXPECT_TRUE(waitInterval(state, 60 * 1000)); // returns on the signal, not after a minute
    signaller.join();
    EXPECT_TRUE(waitInterval(state, 0)); // stays signalled
}

} // namespace
} // namespace zorvane
