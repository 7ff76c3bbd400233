#pragma once

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"

namespace zorvane::test {

// Records what a worker sends. The window's handlers read the goods store and
// the search position, so a worker that sends while holding the lock of
// either would deadlock the real window: every message notes whether another
// thread could read both.
class RecordingSink final : public FeedbackSink
{
public:
    explicit RecordingSink(AppState& state) : m_state(state) {}

    void send(const Feedback& message) override
    {
        messages.push_back(message);
        locksFreeOnEverySend = locksFreeOnEverySend && ownersFree();
    }
    void post(const Feedback& message) override { posted.push_back(message); }

    // (code, number) of every sent message, in order.
    std::vector<std::pair<int, long long>> codes() const
    {
        std::vector<std::pair<int, long long>> out;
        for (const Feedback& m : messages)
            out.emplace_back(m.code, m.number);
        return out;
    }

    std::vector<Feedback> messages;
    std::vector<Feedback> posted;
    bool locksFreeOnEverySend = true;

private:
    bool ownersFree()
    {
        auto reader = std::async(std::launch::async, [this] {
            m_state.goods.size();
            m_state.position.copy();
        });
        return reader.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    }

    AppState& m_state;
};

// A fresh state with its locks, and a sink recording what a worker sends.
class WorkerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(state.createLocks().ok()); }

    AppState state;
    RecordingSink sink{state};
};

// Makes the store hold exactly these records.
inline void setStore(AppState& state, const GoodsList& goods)
{
    state.goods.clear([] {});
    for (const GoodsRecord& record : goods)
        state.goods.append(record);
}

inline GoodsRecord makeGoods(std::string id, double price, std::vector<std::string> tags = {},
                             std::string name = "商品")
{
    GoodsRecord record;
    record.goodsId = std::move(id);
    record.name = std::move(name);
    record.price = price;
    for (const std::string& tag : tags)
        record.tagText += (record.tagText.empty() ? "" : ",") + tag;
    record.tags = std::move(tags);
    return record;
}

// The log's lines without their "HH:MM:SS " time stamps.
inline std::vector<std::string> takeLogMessages(AppState& state)
{
    std::vector<std::string> lines;
    std::string text = takeLogBuffer(state);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start + 9, end - start - 9));
        start = end + 2;
    }
    return lines;
}

} // namespace zorvane::test
