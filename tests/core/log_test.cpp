#include "core/log.h"

#include <mutex>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/feedback.h"

using namespace zorvane;

namespace {

class RecordingSink final : public FeedbackSink
{
public:
    void send(const Feedback& m) override
    {
        std::lock_guard g(mutex);
        sent.push_back(m);
    }
    void post(const Feedback& m) override { send(m); }
    std::vector<Feedback> take()
    {
        std::lock_guard g(mutex);
        return std::exchange(sent, {});
    }

    std::mutex mutex;
    std::vector<Feedback> sent;
};

} // namespace

TEST(Log, LineFormat)
{
    EXPECT_EQ(formatLogLine(9, 5, 7, "消息"), "09:05:07 消息\r\n");
    EXPECT_EQ(formatLogLine(23, 59, 0, "a\r\nb"), "23:59:00 a\r\nb\r\n");
    EXPECT_FALSE(makePayloadText(""));
    EXPECT_EQ(*makePayloadText("x"), "x");
}

TEST(Log, PumpBatchesLinesAndSendsNothingWhenIdle)
{
    AppState state;
    ASSERT_TRUE(state.createLocks().ok());
    RecordingSink sink;
    ManualResetEvent quit;
    appendLog(state, "one");
    appendLog(state, "two");
    std::thread pump([&] { logPump(state, sink, quit); });
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    quit.set();
    pump.join();
    auto sent = sink.take();
    ASSERT_EQ(sent.size(), 1u); // one transfer for both lines, none while idle
    EXPECT_EQ(sent[0].code, kFeedbackLog);
    EXPECT_TRUE(std::regex_match(*sent[0].text,
                                 std::regex("\\d\\d:\\d\\d:\\d\\d one\r\n\\d\\d:\\d\\d:\\d\\d two\r\n")));
    EXPECT_EQ(takeLogBuffer(state), "");
}

TEST(Log, ConcurrentWritersNeverInterleave)
{
    AppState state;
    ASSERT_TRUE(state.createLocks().ok());
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                appendLog(state, "writer" + std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& w : writers)
        w.join();
    std::string all = takeLogBuffer(state);
    std::regex line("\\d\\d:\\d\\d:\\d\\d writer\\d-\\d+\r\n");
    std::size_t count = 0;
    for (std::sregex_iterator it(all.begin(), all.end(), line), end; it != end; ++it)
        ++count;
    EXPECT_EQ(count, 800u);
    EXPECT_EQ(all.size(), [&] {
        std::size_t n = 0;
        for (std::sregex_iterator it(all.begin(), all.end(), line), end; it != end; ++it)
            n += static_cast<std::size_t>(it->length());
        return n;
    }());
}
