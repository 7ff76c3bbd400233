#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "history/history_store.h"
#include "notify/desktop_notifier.h"

namespace zorvane {

// Which changes of a watched coupon are worth a notice.
struct WatchRule
{
    std::int64_t minDropCents = 1; // smaller drops do not count
    bool countNew = true;          // new goods count
};

// The notice for a walk's changes, one entry per goods item: its summary
// counts the drops and the new goods that count, its body names the largest
// drops first, then the new goods. None when nothing counts.
std::optional<DesktopNotice> priceNotice(const std::vector<SightingChange>& items, const WatchRule& rule);

} // namespace zorvane
