// The terminal side of the feedback channel, in process.
#include "cli/console_sink.h"

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"

namespace zorvane::cli {
namespace {

// A FILE whose bytes can be read back once it is closed.
class MemoryFile final
{
public:
    MemoryFile() : m_file(open_memstream(&m_data, &m_size)) {}
    ~MemoryFile()
    {
        close();
        std::free(m_data);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::FILE* file() const { return m_file; }
    std::string take()
    {
        close();
        return std::string(m_data, m_size);
    }

private:
    void close()
    {
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
    }

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_file;
};

class ConsoleSinkTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(state.createLocks().ok()); }

    void log(const std::string& text, ConsoleSink& sink) { sink.send(Feedback{kFeedbackLog, 0, text}); }

    AppState state;
    MemoryFile out;
};

TEST_F(ConsoleSinkTest, WithoutATerminalOnlyLogLinesWithLineFeeds)
{
    ConsoleSink sink(state, out.file(), false);
    log("08:00:01 搜索线程：(1页)正在搜索...\r\n08:00:02 搜索线程：已搜索1页\r\n", sink);
    sink.pageDone(1);
    sink.goodsStored(StoredGoods{{}, 1, 2, 2});
    sink.finish();
    EXPECT_EQ(out.take(), "08:00:01 搜索线程：(1页)正在搜索...\n08:00:02 搜索线程：已搜索1页\n");
}

TEST_F(ConsoleSinkTest, OnATerminalTheProgressLineIsRedrawnBelowTheLog)
{
    ConsoleSink sink(state, out.file(), true);
    sink.pageDone(1);
    log("08:00:02 搜索线程：已搜索1页\r\n", sink);
    sink.goodsStored(StoredGoods{{}, 1, 2, 2});
    sink.pageDone(2);
    log("08:00:03 搜索线程：(2页)正在搜索...\r\n08:00:04 搜索线程：已搜索2页\r\n", sink);
    sink.finish();
    log("08:00:05 已停止\r\n", sink);
    // Progress comes from the walk's events, not from the log text.
    EXPECT_EQ(out.take(), "pages done: 1, goods found: 0"
                          "\r\x1b[K"
                          "08:00:02 搜索线程：已搜索1页\n"
                          "pages done: 1, goods found: 0"
                          "\r\x1b[Kpages done: 1, goods found: 2"
                          "\r\x1b[Kpages done: 2, goods found: 2"
                          "\r\x1b[K"
                          "08:00:03 搜索线程：(2页)正在搜索...\n08:00:04 搜索线程：已搜索2页\n"
                          "pages done: 2, goods found: 2"
                          "\r\x1b[K"
                          "08:00:05 已停止\n");
}

TEST_F(ConsoleSinkTest, FilterAndSortEndsAreLoggedAsTheWindowLogsThem)
{
    ConsoleSink sink(state, out.file(), false);
    sink.send(Feedback{kFeedbackSortEnded, 0, std::nullopt});
    sink.send(Feedback{kFeedbackFilterEnded, 0, std::nullopt});
    sink.send(Feedback{kFeedbackShowGoods, 1, std::nullopt});
    const std::string log = takeLogBuffer(state);
    ASSERT_EQ(log.size(), 2 * (9 + std::string("排序完毕").size() + 2));
    EXPECT_EQ(log.substr(9, log.find("\r\n") - 9), "排序完毕");
    EXPECT_EQ(log.substr(log.find("\r\n") + 2 + 9), "筛选完毕\r\n");
}

} // namespace
} // namespace zorvane::cli
