#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"

using namespace zorvane;

namespace {

struct Fixture : ::testing::Test
{
    AppState state;
    void SetUp() override { ASSERT_TRUE(state.createLocks().ok()); }
    std::string log() { return takeLogBuffer(state); }
};

GoodsRecord goods(std::string id, std::vector<std::string> tags)
{
    GoodsRecord r;
    r.goodsId = std::move(id);
    r.tags = std::move(tags);
    return r;
}

} // namespace

TEST(LockRegistryTest, CreationFailureNamesTheLock)
{
    for (int i = 0; i < 5; ++i) {
        AppState state;
        state.registry.failCreationAt(i);
        const Result<void> locks = state.createLocks();
        EXPECT_FALSE(locks.ok());
        const char* expected[] = {"创建内存关键段失败", "创建日志关键段失败", "创建全局参数关键段失败",
                                  "创建句柄关键段失败", "创建商品关键段失败"};
        EXPECT_EQ(locks.error(), expected[i]);
        EXPECT_EQ(state.registry.count(), static_cast<std::size_t>(i));
    }
}

TEST(LockRegistryTest, InvalidLocksAreIgnored)
{
    LockRegistry registry;
    LockRegistry::Lock stray;
    registry.enterLock(&stray); // not registered: nothing happens
    EXPECT_TRUE(stray.try_lock());
    stray.unlock();
    auto* lock = registry.createLock();
    EXPECT_TRUE(registry.deleteLock(lock));
    EXPECT_FALSE(registry.deleteLock(lock));
}

TEST_F(Fixture, BusyCheckOrderAndSearchFlag)
{
    EXPECT_TRUE(busyCheck(state, true));
    state.walk.startPause(nullptr, [] { return true; });
    EXPECT_TRUE(busyCheck(state, false));
    EXPECT_FALSE(busyCheck(state, true));
    EXPECT_NE(log().find("正在搜索中"), std::string::npos);

    ManualResetEvent release;
    ASSERT_TRUE(state.workers.start(Worker::Sort, [&] { release.waitFor(std::chrono::seconds(10)); }));
    EXPECT_FALSE(busyCheck(state, false));
    EXPECT_NE(log().find("正在排序中"), std::string::npos);
    ASSERT_TRUE(state.workers.start(Worker::Filter, [&] { release.waitFor(std::chrono::seconds(10)); }));
    EXPECT_FALSE(busyCheck(state, false));
    EXPECT_NE(log().find("正在筛选中"), std::string::npos);
    // A running export does not count.
    release.set();
    state.workers.join(Worker::Filter);
    state.workers.join(Worker::Sort);
    ASSERT_TRUE(state.workers.start(Worker::Export, [] {}));
    EXPECT_TRUE(busyCheck(state, false));
    state.workers.release(Worker::Export);
    EXPECT_FALSE(state.workers.running(Worker::Export));
}

TEST_F(Fixture, StoreKeepsEveryRecordInOrderUntilCleared)
{
    EXPECT_EQ(state.goods.append(goods("1", {"自营", "券"})), 1);
    EXPECT_EQ(state.goods.append(goods("1", {"券", "满减"})), 2);
    const auto second = state.goods.copyAt(2);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->goodsId, "1"); // duplicates stay
    EXPECT_EQ(second->tags, (std::vector<std::string>{"券", "满减"}));
    EXPECT_FALSE(state.goods.copyAt(3));
    EXPECT_FALSE(state.goods.copyAt(0));

    int cleared = 0;
    state.goods.clear([&] { ++cleared; });
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(state.goods.size(), 0u);
    EXPECT_FALSE(state.goods.copyAt(1));
}
