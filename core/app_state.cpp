#include "core/app_state.h"

#include "core/log.h"

namespace zorvane {

AppState::AppState(Config cfg) : config(std::move(cfg)), goodsAddress(config.itemUrlTemplate) {}

Result<void> AppState::createLocks()
{
    struct Slot
    {
        std::vector<OwnerLock*> owners;
        const char* message;
    };
    const Slot slots[] = {
        // Payloads cross threads as values now; the first lock is still made so
        // that the start-up fails as it always did when no lock can be had.
        {{}, "创建内存关键段失败"},
        {{&log.m_lock}, "创建日志关键段失败"},
        {{&position.m_lock, &goodsAddress.m_lock}, "创建全局参数关键段失败"},
        {{&workers.m_lock}, "创建句柄关键段失败"},
        {{&goods.m_lock}, "创建商品关键段失败"},
    };
    for (const Slot& slot : slots) {
        LockRegistry::Lock* lock = registry.createLock();
        if (!lock)
            return Failure{slot.message};
        for (OwnerLock* owner : slot.owners)
            owner->useRegistered(lock);
    }
    return {};
}

bool busyCheck(AppState& state, bool searchCounts)
{
    if (searchCounts && state.walk.walking()) {
        appendLog(state, "正在搜索中");
        return false;
    }
    if (state.workers.running(Worker::Filter)) {
        appendLog(state, "正在筛选中");
        return false;
    }
    if (state.workers.running(Worker::Sort)) {
        appendLog(state, "正在排序中");
        return false;
    }
    return true;
}

} // namespace zorvane
