#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// What identifies a coupon's goods search across walks: the first-page
// address without its paging query parameters (page, s, click), the other
// parameters kept in their order, and without a fragment. Walks started
// from page 1 and from page 5 of one coupon share the key.
std::string couponKey(std::string_view address);

} // namespace zorvane
