#pragma once

#include <string>

#include "base/result.h"
#include "core/config.h"
#include "core/goods_store.h"
#include "core/lock_registry.h"
#include "core/log_buffer.h"
#include "core/search_position.h"
#include "core/walk_session.h"
#include "core/workers.h"

namespace zorvane {

// All working state of one program run, as small owners that keep their
// locks to themselves. The program makes one; tests make as many fresh ones
// as they like.
struct AppState
{
    explicit AppState(Config cfg = {});
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // Creates the program's five locks in their fixed order and hands them
    // to the owners. On failure gives the message to show before the program
    // ends.
    Result<void> createLocks();

    Config config;
    LockRegistry registry;
    LogBuffer log;
    SearchPosition position;
    GoodsAddressTemplate goodsAddress;
    GoodsStore goods;
    Workers workers;
    WalkSession walk{log, position};
};

// True when the caller may proceed; otherwise logs why not.
bool busyCheck(AppState& state, bool searchCounts);

} // namespace zorvane
