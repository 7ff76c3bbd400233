#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// How a notice names the coupon: "优惠券 KEY" by its watch's key, with its
// terms when they are known ("优惠券 KEY（满299减50）").
std::string couponName(const std::string& watchKey, const std::optional<CouponTerms>& terms);

// The notice for a walk's changes, one entry per goods item: its summary
// names the coupon and counts the drops and the new goods that count, its
// body names the largest drops first, then the new goods, each name cut to
// 30 characters with "…". Plain text; the notifier escapes it for a service
// that reads markup. None when nothing counts.
std::optional<DesktopNotice> priceNotice(const std::vector<SightingChange>& items, const WatchRule& rule,
                                         const std::string& coupon);

} // namespace zorvane
