#include "search/goods_items.h"

#include "base/text.h"
#include "base/text_scan.h"
#include "search/patterns.h"
#include "services/text_pattern.h"

// The goods item pattern is a head, <li ...data-sku="digits"...>, then the
// shortest stretch up to an item end, </div> white space </li>. The head
// cannot contain '>' before its last character, so from an "<li" at p it
// ends at the first '>' after p or not at all; and when it fails at p it
// fails at every later "<li" before that '>' too, as those see a part of the
// same text. So the run below tries the head once per tag. Once the head has
// matched, the rest of the pattern, the shortest stretch to an item end, is
// the stretch to the first item end after the head, found by plain search:
// every byte is read a bounded number of times while the matches stay
// exactly those of the global run.
namespace zorvane {

namespace {

// Where the item end whose "</div>" starts at divAt ends, or npos when none starts there.
std::size_t itemEndAt(std::string_view page, std::size_t divAt)
{
    std::size_t at = divAt + 6;
    while (at < page.size() && isPatternSpace(page[at]))
        ++at;
    return hasWordNoCaseAt(page, at, "</li>") ? at + 5 : std::string_view::npos;
}

// The first item end whose "</div>" starts at or after a place. Places only
// grow during a run, so the end found last serves every place up to its
// start, and no stretch of the page is searched twice.
class ItemEnds
{
public:
    explicit ItemEnds(std::string_view page) : m_page(page) {}

    // False when no item end starts at or after from.
    bool findFrom(std::size_t from)
    {
        if (m_found && from <= m_start)
            return true;
        for (std::size_t at = findWordNoCase(m_page, "</div>", from); at != std::string_view::npos;
             at = findWordNoCase(m_page, "</div>", at + 1)) {
            const std::size_t end = itemEndAt(m_page, at);
            if (end != std::string_view::npos) {
                m_found = true;
                m_start = at;
                m_end = end;
                return true;
            }
        }
        return false;
    }

    // The end of the item end findFrom found last.
    std::size_t end() const { return m_end; }

private:
    std::string_view m_page;
    bool m_found = false;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
};

// The head run tries its window's start only: a run free to try every "<li"
// inside a long tag would read the rest of the tag from each.
const TextPattern& anchoredHead()
{
    static const TextPattern head("\\A" + std::string(kGoodsItemHeadPattern));
    return head;
}

} // namespace

std::optional<std::vector<GoodsItemText>> findGoodsItems(std::string_view page, bool subjectChecked)
{
    if (!subjectChecked && !isValidUtf8(page))
        return std::nullopt;
    std::vector<GoodsItemText> items;
    const TextPattern& head = anchoredHead();
    ItemEnds itemEnds(page);
    TextMatch match;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t start = findWordNoCase(page, "<li", pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t close = page.find('>', start);
        // No item end follows the head: neither this nor any later item can match.
        if (close == std::string_view::npos || !itemEnds.findFrom(close + 1))
            break;
        const MatchResult found = head.find(page.substr(start, close + 1 - start), 0, true, match);
        if (found == MatchResult::Failed)
            return std::nullopt;
        if (found == MatchResult::NotFound) {
            pos = close + 1;
            continue;
        }
        const std::size_t end = itemEnds.end();
        items.push_back(GoodsItemText{std::string(match.group(1)), page.substr(start, end - start)});
        pos = end;
    }
    return items;
}

} // namespace zorvane
