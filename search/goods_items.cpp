#include "search/goods_items.h"

#include "core/text.h"
#include "search/patterns.h"
#include "services/regex_service.h"

// The goods item pattern is a head, <li ...data-sku="digits"...>, then the
// shortest stretch up to an item end, </div> white space </li>. The head
// cannot contain '>' before its last character, so from an "<li" at p it
// ends at the first '>' after p or not at all; and when it fails at p it
// fails at every later "<li" before that '>' too, as those see a part of the
// same text. So the run below tries the head once per tag, and the item end
// only where one is known to follow, which makes every byte read a bounded
// number of times while the matches stay exactly those of the global run.
namespace zorvane {

namespace {

bool isPatternSpace(char c)
{
    // \s without Unicode properties.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool hasNoCase(std::string_view text, std::size_t at, std::string_view lowerWord)
{
    if (at + lowerWord.size() > text.size())
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i])
            return false;
    }
    return true;
}

// Where the item end whose "</div>" starts at divAt ends, or npos when none starts there.
std::size_t itemEndAt(std::string_view page, std::size_t divAt)
{
    if (!hasNoCase(page, divAt, "</div>"))
        return std::string_view::npos;
    std::size_t at = divAt + 6;
    while (at < page.size() && isPatternSpace(page[at]))
        ++at;
    return hasNoCase(page, at, "</li>") ? at + 5 : std::string_view::npos;
}

// End of the first item end whose "</div>" starts at from or later; npos when none.
std::size_t firstItemEnd(std::string_view page, std::size_t from)
{
    for (std::size_t at = page.find('<', from); at != std::string_view::npos; at = page.find('<', at + 1)) {
        const std::size_t end = itemEndAt(page, at);
        if (end != std::string_view::npos)
            return end;
    }
    return std::string_view::npos;
}

// Start of the "</div>" of the page's last item end; npos when there is none.
std::size_t lastItemEndStart(std::string_view page)
{
    for (std::size_t at = page.rfind('<'); at != std::string_view::npos && at > 0;
         at = page.rfind('<', at - 1)) {
        if (!hasNoCase(page, at, "</li>"))
            continue;
        std::size_t before = at;
        while (before > 0 && isPatternSpace(page[before - 1]))
            --before;
        if (before >= 6 && hasNoCase(page, before - 6, "</div>"))
            return before - 6;
    }
    return std::string_view::npos;
}

// Next "<li" (any letter case) at or after from.
std::size_t nextListItem(std::string_view page, std::size_t from)
{
    for (std::size_t at = page.find('<', from); at != std::string_view::npos; at = page.find('<', at + 1)) {
        if (hasNoCase(page, at + 1, "li"))
            return at;
    }
    return std::string_view::npos;
}

// Both runs below try their window's start only: a run free to try every
// "<li" inside a long tag would read the rest of the tag from each.
const std::string kAnchoredHead = "\\A" + std::string(kGoodsItemHeadPattern);
const std::string kAnchoredItem = "\\A" + std::string(kGoodsItemPattern);
// The page was checked once for UTF-8 before the first run.
constexpr RegexOptions kAnchoredRun{.global = false, .subjectChecked = true};

} // namespace

std::optional<std::vector<GoodsItemText>> findGoodsItems(std::string_view page, bool subjectChecked)
{
    if (!subjectChecked && !isValidUtf8(page))
        return std::nullopt;
    std::vector<GoodsItemText> items;
    const std::size_t lastEnd = lastItemEndStart(page);
    if (lastEnd == std::string_view::npos)
        return items;
    RegexService regex;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t start = nextListItem(page, pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t close = page.find('>', start);
        // No item end follows the head: neither this nor any later item can match.
        if (close == std::string_view::npos || close >= lastEnd)
            break;
        const std::string tag(page.substr(start, close + 1 - start));
        if (!regex.create(kAnchoredHead, tag, kAnchoredRun))
            return std::nullopt;
        if (regex.matchCount() < 1) {
            pos = close + 1;
            continue;
        }
        const std::size_t end = firstItemEnd(page, close + 1);
        if (!regex.create(kAnchoredItem, std::string(page.substr(start, end - start)), kAnchoredRun))
            return std::nullopt;
        int at = -1;
        GoodsItemText item{regex.subMatchText(1, 1), regex.matchText(1, &at)};
        if (at < 0) {
            pos = close + 1; // cannot happen: the head matched and an item end follows
            continue;
        }
        pos = start + static_cast<std::size_t>(at) + item.text.size();
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace zorvane
