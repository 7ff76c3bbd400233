#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/owner_lock.h"
#include "core/goods_record.h"

namespace zorvane {

// The goods gathered so far. Every function may be called from any thread;
// none calls out while it holds the store's lock, except clear's callback.
class GoodsStore final
{
public:
    // Appends a record and returns the new count (the record's 1-based position).
    std::int64_t append(GoodsRecord record);

    // A copy of the n-th (1-based) record, or nothing when n is out of range.
    std::optional<GoodsRecord> copyAt(std::int64_t n);
    // Notes the n-th (1-based) record's change against earlier walks; nothing
    // when n is out of range.
    void setChange(std::int64_t n, std::string change);

    GoodsList snapshot();
    std::size_t size();

    // Sets each record's passesFilter to passes(record) and returns the
    // 1-based positions of those that pass.
    std::vector<std::int64_t> markPassing(const std::function<bool(const GoodsRecord&)>& passes);

    // Replaces the first sorted.size() records by sorted. No search may run
    // while a sort does; should a record have arrived anyway, it is kept after
    // the sorted ones rather than lost.
    void installSorted(GoodsList sorted);

    // Empties the store; onCleared (the front end emptying its lists) runs while the store is
    // locked, so no record arrives between the two.
    void clear(const std::function<void()>& onCleared);

private:
    friend struct AppState;

    OwnerLock m_lock;
    GoodsList m_goods;
};

} // namespace zorvane
