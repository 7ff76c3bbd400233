#pragma once

#include <string_view>

// The patterns the search code runs over result pages, so that the regular-
// expression service is tested and measured on the real thing.
namespace zorvane::test {

// Cuts a result page into goods items; group 1 is the goods id.
inline constexpr std::string_view kGoodsItemPattern =
    "<li[^>]*?data-sku=['\"](\\d+)['\"]\\s*[^>]*?>[\\s\\S]*?</div>\\s*</li>";
// Name block: group 1 a leading label element's text, group 2 the name.
inline constexpr std::string_view kNamePattern = "<div\\s*class=['\"]p-name[^'\"]*?['\"][^>]*?>[\\s\\S]*?<em>"
                                                 "(?:<[^>]*?>(.*?)</[^>]*>|<[^>]*?/\\s*>)?([\\s\\S]*?)</em>";
// Price block: group 1 the first <i> made of digits and points.
inline constexpr std::string_view kPricePattern =
    "<div\\s*class=['\"]p-price[^'\"]*?['\"][^>]*?>[\\s\\S]*?<i>([\\d\\.]{1,})</i>";
// Icon block: group 1 its content up to the first </div>.
inline constexpr std::string_view kIconBlockPattern =
    "<div\\s*class=['\"]p-icons[^'\"]*?['\"][^>]*?>([\\s\\S]*?)</div>";
// One icon inside the icon block (run global): group 1 its text.
inline constexpr std::string_view kIconItemPattern = "<i\\W[^>]*>([\\s\\S]*?)</i>";
// Sign title: group 1 the title, group 2 the optional date.
inline constexpr std::string_view kSignPattern =
    "<div\\s*class=['\"]sign-title[^'\"]*?['\"][^>]*?>([\\s\\S]*?)\\s*(?:<span\\s*class=['\"]sign-date[^'\"]*"
    "?['\"][^>]*?>([\\s\\S]*?)</span>\\s*)?</div>";
// Page script: the base query between the quotes.
inline constexpr std::string_view kBaseUrlPattern = "\\WSEARCH\\.base_url\\s*=\\s*['\"](.*?)['\"]\\s*;";
// Page script: the click value digits (may be empty).
inline constexpr std::string_view kClickPattern = "\\WSEARCH\\.click\\s*=\\s*(\\d*?)\\s*;";
// Page script: the argument list of the paging set-up call.
inline constexpr std::string_view kPagingPattern = "\\Ws\\.init\\(\\s*(.*?)\\s*\\)\\s*;";

} // namespace zorvane::test
