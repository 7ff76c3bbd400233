// Each coupon's 满 and 减, so that the basket dialog opens with what was used
// for the coupon the last time.
#include <sqlite3.h>

#include "history/history_store.h"

namespace zorvane {

std::optional<CouponTerms> HistoryStore::couponTerms(const std::string& couponKey)
{
    SqlStatement select =
        m_db.prepare("SELECT threshold_cents, discount_cents FROM coupon_terms WHERE coupon_key = ?1");
    if (!select.valid())
        return std::nullopt;
    select.bind(1, couponKey);
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return CouponTerms{select.int64At(0), select.int64At(1)};
}

SqlStatus HistoryStore::setCouponTerms(const std::string& couponKey, const CouponTerms& terms)
{
    SqlStatus status;
    SqlStatement upsert =
        m_db.prepare("INSERT INTO coupon_terms(coupon_key, threshold_cents, discount_cents) "
                     "VALUES(?1, ?2, ?3) ON CONFLICT(coupon_key) DO UPDATE SET "
                     "threshold_cents = excluded.threshold_cents, "
                     "discount_cents = excluded.discount_cents",
                     &status);
    if (!upsert.valid())
        return status;
    upsert.bind(1, couponKey);
    upsert.bind(2, terms.thresholdCents);
    upsert.bind(3, terms.discountCents);
    return m_db.status(upsert.step());
}

} // namespace zorvane
