#include "core/app_state.h"

#include "core/log.h"

namespace zorvane {

AppState::AppState(Config cfg) : config(std::move(cfg)), itemUrlTemplate(config.itemUrlTemplate) {}

bool AppState::createLocks(std::string* failureMessage)
{
    struct Slot
    {
        LockRegistry::Lock** lock;
        const char* message;
    };
    const Slot slots[] = {
        {&memoryLock, "创建内存关键段失败"},     {&logLock, "创建日志关键段失败"},
        {&paramsLock, "创建全局参数关键段失败"}, {&handlesLock, "创建句柄关键段失败"},
        {&goodsLock, "创建商品关键段失败"},
    };
    for (const Slot& slot : slots) {
        *slot.lock = registry.createLock();
        if (!*slot.lock) {
            if (failureMessage)
                *failureMessage = slot.message;
            return false;
        }
    }
    return true;
}

bool busyCheck(AppState& state, bool searchCounts)
{
    if (searchCounts && state.searchRunning.load() != 0) {
        appendLog(state, "正在搜索中");
        return false;
    }
    if (state.filterRunning.joinable()) {
        appendLog(state, "正在筛选中");
        return false;
    }
    if (state.sortRunning.joinable()) {
        appendLog(state, "正在排序中");
        return false;
    }
    return true;
}

void closeThreadHandle(AppState& state, std::thread& worker)
{
    std::lock_guard guard(*state.handlesLock);
    if (worker.joinable())
        worker.detach();
}

std::optional<GoodsRecord> copyGoods(AppState& state, std::int64_t n)
{
    std::lock_guard guard(*state.goodsLock);
    if (n < 1 || n > static_cast<std::int64_t>(state.goodsStore.size()))
        return std::nullopt;
    return state.goodsStore[static_cast<std::size_t>(n - 1)];
}

void setGoodsChange(AppState& state, std::int64_t n, std::string change)
{
    std::lock_guard guard(*state.goodsLock);
    if (n >= 1 && n <= static_cast<std::int64_t>(state.goodsStore.size()))
        state.goodsStore[static_cast<std::size_t>(n - 1)].change = std::move(change);
}

NewGoods takeNewGoods(AppState& state, std::int64_t n)
{
    NewGoods result;
    std::lock_guard guard(*state.goodsLock);
    if (n < 1 || n > static_cast<std::int64_t>(state.goodsStore.size()))
        return result;
    result.record = state.goodsStore[static_cast<std::size_t>(n - 1)];
    for (const std::string& tag : result.record->tags) {
        if (state.knownTags.insert(tag).second)
            result.newTags.push_back(tag);
    }
    return result;
}

std::int64_t appendGoods(AppState& state, GoodsRecord record)
{
    std::lock_guard guard(*state.goodsLock);
    state.goodsStore.push_back(std::move(record));
    return static_cast<std::int64_t>(state.goodsStore.size());
}

} // namespace zorvane
