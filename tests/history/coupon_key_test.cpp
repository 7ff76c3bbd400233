#include "history/coupon_key.h"

#include <gtest/gtest.h>

namespace zorvane {
namespace {

TEST(CouponKey, DropsOnlyThePagingParameters)
{
    const struct
    {
        const char* address;
        const char* key;
    } cases[] = {
        {"https://search.jd.com/Search?coupon_batch=7&page=3&s=61&click=0",
         "https://search.jd.com/Search?coupon_batch=7"},
        {"https://search.jd.com/Search?page=5&coupon_batch=7&enc=utf-8",
         "https://search.jd.com/Search?coupon_batch=7&enc=utf-8"},
        {"  https://search.jd.com/Search?coupon_batch=7&click  ",
         "https://search.jd.com/Search?coupon_batch=7"},
        {"https://search.jd.com/Search?pages=2&ss=1&clicks=0",
         "https://search.jd.com/Search?pages=2&ss=1&clicks=0"},
        {"https://search.jd.com/Search?page=2&s=1", "https://search.jd.com/Search"},
        {"https://search.jd.com/Search?coupon_batch=7&&page=2#J_goodsList",
         "https://search.jd.com/Search?coupon_batch=7"},
        {"https://search.jd.com/Search", "https://search.jd.com/Search"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(couponKey(c.address), c.key) << c.address;
}

} // namespace
} // namespace zorvane
