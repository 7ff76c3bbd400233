#include "core/app_state.h"
#include "core/log.h"

#include <gtest/gtest.h>

using namespace zorvane;

namespace {

struct Fixture : ::testing::Test
{
    AppState state;
    void SetUp() override { ASSERT_TRUE(state.createLocks(nullptr)); }
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
        std::string message;
        EXPECT_FALSE(state.createLocks(&message));
        const char* expected[] = {"创建内存关键段失败", "创建日志关键段失败", "创建全局参数关键段失败",
                                  "创建句柄关键段失败", "创建商品关键段失败"};
        EXPECT_EQ(message, expected[i]);
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
    state.searchRunning = 1;
    EXPECT_TRUE(busyCheck(state, false));
    EXPECT_FALSE(busyCheck(state, true));
    EXPECT_NE(log().find("正在搜索中"), std::string::npos);

    ManualResetEvent release;
    state.sortRunning = std::thread([&] { release.waitFor(std::chrono::seconds(10)); });
    EXPECT_FALSE(busyCheck(state, false));
    EXPECT_NE(log().find("正在排序中"), std::string::npos);
    state.filterRunning = std::thread([&] { release.waitFor(std::chrono::seconds(10)); });
    EXPECT_FALSE(busyCheck(state, false));
    EXPECT_NE(log().find("正在筛选中"), std::string::npos);
    // A running export does not count.
    release.set();
    state.filterRunning.join();
    state.sortRunning.join();
    state.exportRunning = std::thread([] {});
    EXPECT_TRUE(busyCheck(state, false));
    closeThreadHandle(state, state.exportRunning);
    EXPECT_FALSE(state.exportRunning.joinable());
}

TEST_F(Fixture, NewGoodsListsEachTagOnceInFirstSeenOrder)
{
    EXPECT_EQ(appendGoods(state, goods("1", {"自营", "券"})), 1);
    EXPECT_EQ(appendGoods(state, goods("1", {"券", "满减"})), 2);
    auto first = takeNewGoods(state, 1);
    auto second = takeNewGoods(state, 2);
    EXPECT_EQ(first.newTags, (std::vector<std::string>{"自营", "券"}));
    EXPECT_EQ(second.newTags, (std::vector<std::string>{"满减"}));
    ASSERT_TRUE(second.record);
    EXPECT_EQ(second.record->goodsId, "1"); // duplicates stay
    EXPECT_FALSE(takeNewGoods(state, 3).record);
    EXPECT_FALSE(copyGoods(state, 0));

    state.sortAscending = 1;
    int cleared = 0;
    clearGoodsStore(state, [&] { ++cleared; });
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(state.goodsStore.empty());
    EXPECT_TRUE(state.knownTags.empty());
    EXPECT_EQ(state.sortAscending, 0);
}
