#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane {

// One match of the goods item pattern: group 1 and the whole match, a view
// into the page.
struct GoodsItemText
{
    std::string goodsId;
    std::string_view text;
};

// The matches of a global run of the goods item pattern over the page, in
// page order, found in time linear in the page's length. A plain global run
// tries every "<li" of the page and, where no item end follows, reads on to
// the end of the page each time: a page of many unterminated items held the
// search thread for minutes. Nothing when the pattern cannot run (the page
// is not UTF-8, or a run limit was hit). subjectChecked: the page is known to
// be valid UTF-8.
std::optional<std::vector<GoodsItemText>> findGoodsItems(std::string_view page, bool subjectChecked = false);

} // namespace zorvane
