#pragma once

#include <string_view>

// The patterns and marker texts that read the shop's result pages. Every
// pattern runs case-insensitively in multi-line mode; '.' stops at a line feed.
namespace zorvane {

// One goods item: group 1 is the data-sku digits, the match is the item's text.
inline constexpr std::string_view kGoodsItemPattern =
    R"re(<li[^>]*?data-sku=['"](\d+)['"]\s*[^>]*?>[\s\S]*?</div>\s*</li>)re";

// The item pattern's opening tag alone (see findGoodsItems).
inline constexpr std::string_view kGoodsItemHeadPattern = R"re(<li[^>]*?data-sku=['"](\d+)['"]\s*[^>]*?>)re";
static_assert(kGoodsItemPattern.starts_with(kGoodsItemHeadPattern));

// Name block: group 1 the text of a leading label element, group 2 the name.
// A leading self-closing element (the shop's <img class="p-tag3" ... />) is
// tried first: tried second, it was read as an opening tag whenever a closing
// tag followed on its line, and the start of the name became a label.
inline constexpr std::string_view kNamePattern =
    R"re(<div\s*class=['"]p-name[^'"]*?['"][^>]*?>[\s\S]*?<em>(?:<[^>]*?/\s*>|<[^>]*?>(.*?)</[^>]*>)?([\s\S]*?)</em>)re";

// Price block: group 1 the first all-digits <i> content. The <i> may carry
// attributes: since 2022 the shop writes <i data-price="SKU">59.90</i>.
inline constexpr std::string_view kPricePattern =
    R"re(<div\s*class=['"]p-price[^'"]*?['"][^>]*?>[\s\S]*?<i[^>]*>([\d\.]{1,})</i>)re";

// Icon block (group 1 its content) and one icon inside it (group 1 its text);
// \W keeps <img> out.
inline constexpr std::string_view kIconBlockPattern =
    R"re(<div\s*class=['"]p-icons[^'"]*?['"][^>]*?>([\s\S]*?)</div>)re";
inline constexpr std::string_view kIconItemPattern = R"re(<i\W[^>]*>([\s\S]*?)</i>)re";

// Sign title (group 1) with its optional date span (group 2).
inline constexpr std::string_view kSignPattern =
    R"re(<div\s*class=['"]sign-title[^'"]*?['"][^>]*?>([\s\S]*?)\s*(?:<span\s*class=['"]sign-date[^'"]*?['"][^>]*?>([\s\S]*?)</span>\s*)?</div>)re";

// The page script's paging values: the base query (a string literal's body),
// the click value and the paging set-up call's argument list.
inline constexpr std::string_view kBaseQueryPattern = R"re(\WSEARCH\.base_url\s*=\s*['"](.*?)['"]\s*;)re";
inline constexpr std::string_view kClickPattern = R"re(\WSEARCH\.click\s*=\s*(\d*?)\s*;)re";
inline constexpr std::string_view kPagingArgumentsPattern = R"re(\Ws\.init\(\s*(.*?)\s*\)\s*;)re";

// The page the shop shows for a coupon that has run out.
inline constexpr std::string_view kCouponExpiredMarker =
    R"re(<h3 class="tip-title">抱歉，优惠券已过期</h3>)re";

// The start of the login redirect page; the login host and its path follow.
inline constexpr std::string_view kLoginRedirectStart = R"re(<script>window.location.href="//)re";
inline constexpr std::string_view kLoginPath = "/new/login.aspx";

} // namespace zorvane
