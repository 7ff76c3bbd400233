#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "core/config.h"
#include "core/filter_criteria.h"
#include "core/goods_record.h"
#include "core/lock_registry.h"
#include "core/manual_reset_event.h"
#include "core/search_params.h"

namespace zorvane {

// All working state of one program run. The program makes one; tests make
// as many fresh ones as they like.
struct AppState
{
    explicit AppState(Config cfg = {});
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // Creates the five locks in their fixed order. On failure returns false
    // and gives the message to show before the program ends.
    bool createLocks(std::string* failureMessage);

    Config config;
    LockRegistry registry;
    LockRegistry::Lock* memoryLock = nullptr;  // payload hand-over
    LockRegistry::Lock* logLock = nullptr;     // logBuffer, emptying the log box
    LockRegistry::Lock* paramsLock = nullptr;  // searchParams, exportPath, itemUrlTemplate
    LockRegistry::Lock* handlesLock = nullptr; // releasing worker thread objects
    LockRegistry::Lock* goodsLock = nullptr;   // goodsStore, knownTags, filterCriteria, passesFilter

    GoodsList goodsStore;
    std::unordered_set<std::string> knownTags;
    SearchParams searchParams;
    FilterCriteria filterCriteria;
    std::string logBuffer;
    std::string exportPath;
    std::string itemUrlTemplate;
    std::vector<std::string> menuLinks;

    std::atomic<int> searchRunning{0};
    std::atomic<int> stopRequested{0}; // why stopEvent was set: 1 = stop, 0 = pause
    std::atomic<int> sortAscending{0}; // direction of the current or last sort
    ManualResetEvent stopEvent;

    // Worker thread objects; a joinable one means the worker runs.
    std::thread searchThread;
    std::thread filterRunning;
    std::thread sortRunning;
    std::thread exportRunning;
};

// True when the caller may proceed; otherwise logs why not.
bool busyCheck(AppState& state, bool searchCounts);

// Releases a worker's thread object without joining: the worker may still be
// finishing its last send when its end is handled.
void closeThreadHandle(AppState& state, std::thread& worker);

// Empties the store and the known tags and resets the sort direction.
// The caller empties both lists while this holds goodsLock (see onCleared).
template <typename OnCleared> void clearGoodsStore(AppState& state, OnCleared onCleared);

// A copy of the n-th (1-based) record, or nothing when n is out of range.
std::optional<GoodsRecord> copyGoods(AppState& state, std::int64_t n);

// Notes the n-th (1-based) record's change against earlier walks; nothing
// when n is out of range.
void setGoodsChange(AppState& state, std::int64_t n, std::string change);

// The window side of a new record: a copy of record n and the tags not seen
// before, which are now known.
struct NewGoods
{
    std::optional<GoodsRecord> record;
    std::vector<std::string> newTags;
};
NewGoods takeNewGoods(AppState& state, std::int64_t n);

// Appends a record to the store and returns the new count (the record's
// 1-based position).
std::int64_t appendGoods(AppState& state, GoodsRecord record);

template <typename OnCleared> void clearGoodsStore(AppState& state, OnCleared onCleared)
{
    std::lock_guard guard(*state.goodsLock);
    state.goodsStore = GoodsList();
    state.knownTags.clear();
    onCleared();
    state.sortAscending = 0;
}

} // namespace zorvane
