#include "update/update_check.h"

#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"
#include "tests/support/test_server.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

class RecordingSink final : public FeedbackSink
{
public:
    void send(const Feedback& m) override { record(m); }
    void post(const Feedback& m) override { record(m); }
    std::vector<Feedback> messages()
    {
        std::lock_guard g(m_mutex);
        return m_messages;
    }

private:
    void record(const Feedback& m)
    {
        std::lock_guard g(m_mutex);
        m_messages.push_back(m);
    }
    std::mutex m_mutex;
    std::vector<Feedback> m_messages;
};

struct UpdateCheck : ::testing::Test
{
    void SetUp() override
    {
        ASSERT_TRUE(server.start(false));
        Config config;
        config.updateUrl = server.url("/vorn/jd.php");
        state = std::make_unique<AppState>(config);
        ASSERT_TRUE(state->createLocks().ok());
        options.retryDelay = std::chrono::milliseconds(10);
        options.openAddress = [this](const std::string& a) { opened.push_back(a); };
    }

    // Serves the answers in turn; the last one from then on.
    void serve(std::vector<std::string> answers)
    {
        server.setHandler([answers, n = std::make_shared<std::size_t>(0)](const TestRequest&) {
            TestResponse r;
            r.body = utf8ToGbk(answers[std::min((*n)++, answers.size() - 1)]);
            return r;
        });
    }

    TestServer server;
    std::unique_ptr<AppState> state;
    UpdateCheckOptions options;
    RecordingSink sink;
    std::vector<std::string> opened;
};

} // namespace

TEST_F(UpdateCheck, InvalidAnswersAreRetriedSilentlyAndAValidOneIsAppliedOnce)
{
    serve({"not json", R"({"pop_msg":"x"})", R"({"success":0,"pop_msg":"x"})",
           R"({"success":1,"pop_msg":"公告","log":"说明"})"});
    updateCheck(*state, sink, options);
    EXPECT_EQ(server.requestCount(), 4u);
    const auto messages = sink.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, kFeedbackMessage);
    EXPECT_EQ(messages[0].text.value_or(""), "公告");
    const std::string log = takeLogBuffer(*state);
    EXPECT_NE(log.find(" 说明\r\n"), std::string::npos);
    EXPECT_EQ(log.find("3秒后重试"), std::string::npos);

    // Only the five default headers, with the endpoint as its own Referer.
    const TestRequest first = server.requests().front();
    EXPECT_EQ(first.target, "/vorn/jd.php");
    EXPECT_EQ(first.header("Referer").value_or(""), server.url("/vorn/jd.php"));
    EXPECT_FALSE(first.header("Cookie"));
    for (const char* name : {"Accept", "Accept-Language", "User-Agent", "Content-Type"})
        EXPECT_TRUE(first.header(name)) << name;
}

TEST_F(UpdateCheck, EveryMemberTakesEffect)
{
    serve(
        {R"({"success":"1","redirect_url":"https://item.example/{goods_id}.htm","soft_title":"标题",)"
         R"("log":"一条说明","latest_version":"0.2","latest_intro":"新版本","load_page":"https://page.example/",)"
         R"("open_url":"https://open.example/","pop_msg":"弹窗","menu":{"top":{"A":"https://u1/"}}})"});
    updateCheck(*state, sink, options);
    EXPECT_EQ(state->goodsAddress.addressOf("7"), "https://item.example/7.htm");
    const auto messages = sink.messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].code, kFeedbackCaption);
    EXPECT_EQ(*messages[0].text, "标题");
    EXPECT_EQ(messages[1].code, kFeedbackMenu);
    EXPECT_FALSE(messages[1].text);
    ASSERT_EQ(messages[1].menus.size(), 1u);
    EXPECT_TRUE(messages[1].menus[0].onBar);
    ASSERT_EQ(messages[1].menus[0].entries.size(), 1u);
    EXPECT_EQ(messages[1].menus[0].entries[0].caption, "A");
    EXPECT_EQ(messages[1].menus[0].entries[0].link, "https://u1/");
    EXPECT_EQ(messages[2].code, kFeedbackLoadPage);
    EXPECT_EQ(*messages[2].text, "https://page.example/");
    EXPECT_EQ(messages[3].code, kFeedbackMessage);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://open.example/"}));
    const std::string log = takeLogBuffer(*state);
    EXPECT_LT(log.find("一条说明"), log.find("新版本"));
}

TEST_F(UpdateCheck, DeepAnswersAreReadWholeAndTheMenusHandedOverFinished)
{
    const std::size_t deep = 99000;
    const std::string arrays = std::string(deep, '[') + std::string(deep, ']');
    std::string nested; // a member beside the deep one at every level
    for (std::size_t i = 0; i < deep; ++i)
        nested += R"({"a":)";
    nested += "1" + std::string(deep, '}');
    nested = replaceAll(nested, "}", R"(,"b":1})");
    const struct
    {
        std::string answer;
        std::vector<std::string> captions; // bar entries, then each menu's title and entries
    } cases[] = {
        {R"({"x":)" + arrays + R"(,"success":1,"menu":{"top":{"A":"https://u1/"}}})", {"A"}},
        {R"({"success":1,"menu":{"top":{"A":"https://u1/","deep":)" + nested +
             R"(},"second":{"S":{"B":"https://u2/"},"T":)" + arrays + "}}}",
         {"A", "deep", "S", "B", "T", "0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.captions.size());
        serve({c.answer});
        RecordingSink own;
        updateCheck(*state, own, options);
        const auto messages = own.messages();
        ASSERT_EQ(messages.size(), 1u);
        std::vector<std::string> captions;
        for (const Menu& menu : messages[0].menus) {
            if (!menu.onBar)
                captions.push_back(menu.title);
            for (const MenuEntry& entry : menu.entries)
                captions.push_back(entry.caption);
        }
        EXPECT_EQ(captions, c.captions);
    }
}

TEST_F(UpdateCheck, VersionNoteOnlyForAnotherVersionAndEmptyMembersChangeNothing)
{
    serve(
        {R"({"success":1,"latest_version":"0.1.1","latest_intro":"不应出现","redirect_url":"","soft_title":""})"});
    const std::string before = state->goodsAddress.addressOf("7");
    updateCheck(*state, sink, options);
    EXPECT_EQ(takeLogBuffer(*state).find("不应出现"), std::string::npos);
    EXPECT_EQ(state->goodsAddress.addressOf("7"), before);
    EXPECT_TRUE(sink.messages().empty());

    serve({R"({"success":1,"latest_version":"0.1.0","latest_intro":"旧也提示"})"});
    updateCheck(*state, sink, options);
    EXPECT_NE(takeLogBuffer(*state).find("旧也提示"), std::string::npos);
}

TEST_F(UpdateCheck, AddressesThatAreNotWebAddressesAreIgnoredAndLogged)
{
    serve({R"j({"success":1,"redirect_url":"file:///etc/{goods_id}","open_url":"/usr/bin/xterm",)j"
           R"j("load_page":"javascript:alert(1)"})j"});
    const std::string before = state->goodsAddress.addressOf("7");
    updateCheck(*state, sink, options);
    EXPECT_EQ(state->goodsAddress.addressOf("7"), before);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(sink.messages().empty());
    const std::string log = takeLogBuffer(*state);
    EXPECT_NE(log.find("/usr/bin/xterm"), std::string::npos);
    EXPECT_NE(log.find("javascript:alert(1)"), std::string::npos);
}

TEST_F(UpdateCheck, TheAnswerIsGbkText)
{
    // serve() sends GBK bytes; a UTF-8 answer would read as other characters.
    serve({R"({"success":1,"pop_msg":"优惠公告"})"});
    updateCheck(*state, sink, options);
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(*sink.messages()[0].text, "优惠公告");
}

TEST_F(UpdateCheck, QuitEndsTheRetries)
{
    serve({"never valid"});
    ManualResetEvent quit;
    options.quit = &quit;
    options.retryDelay = std::chrono::milliseconds(50);
    std::thread check([&] { updateCheck(*state, sink, options); });
    ASSERT_TRUE(server.waitForRequests(2, std::chrono::seconds(10)));
    quit.set();
    check.join();
    EXPECT_TRUE(sink.messages().empty());
}
