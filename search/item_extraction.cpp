#include "search/item_extraction.h"

#include "base/numbers.h"
#include "base/text.h"
#include "base/text_scan.h"
#include "search/patterns.h"
#include "services/text_pattern.h"

namespace zorvane {

namespace {

// Compiled once: every goods item of every page runs the same five.
struct ItemPatterns
{
    TextPattern name{kNamePattern};
    TextPattern price{kPricePattern};
    TextPattern iconBlock{kIconBlockPattern};
    TextPattern iconItem{kIconItemPattern};
    TextPattern sign{kSignPattern};
};

const ItemPatterns& itemPatterns()
{
    static const ItemPatterns patterns;
    return patterns;
}

// Every block pattern begins with the head <div\s*class=['"]NAME, and "<div"
// has no other letter case in PCRE2's caseless UTF-8 matching, so a block
// can start only at a "<div" whose head reads on to its name. A run started
// at the first such place finds the match a run from the item's start finds,
// without trying every tag before it; an item without one has no match.
constexpr std::string_view kHeadStart = R"re(<div\s*class=['"])re";
constexpr std::string_view kNameClass = "p-name";
constexpr std::string_view kPriceClass = "p-price";
constexpr std::string_view kIconsClass = "p-icons";
constexpr std::string_view kSignClass = "sign-title";
static_assert(kNamePattern.starts_with(kHeadStart) &&
              kNamePattern.substr(kHeadStart.size()).starts_with(kNameClass));
static_assert(kPricePattern.starts_with(kHeadStart) &&
              kPricePattern.substr(kHeadStart.size()).starts_with(kPriceClass));
static_assert(kIconBlockPattern.starts_with(kHeadStart) &&
              kIconBlockPattern.substr(kHeadStart.size()).starts_with(kIconsClass));
static_assert(kSignPattern.starts_with(kHeadStart) &&
              kSignPattern.substr(kHeadStart.size()).starts_with(kSignClass));

// Whether the head of the class block (lower case) can stand at the "<div"
// at div. The head is read in ASCII: a byte beyond it could be the other case
// of a letter to PCRE2 (U+017F for s), so it leaves the place possible.
bool mayStartBlock(std::string_view item, std::size_t div, std::string_view lowerClass)
{
    std::size_t at = div + 4;
    while (at < item.size() && isPatternSpace(item[at]))
        ++at;
    constexpr std::string_view kClassIs = "class=";
    const std::size_t quoteAt = kClassIs.size();
    for (std::size_t i = 0; i < quoteAt + 1 + lowerClass.size(); ++i, ++at) {
        if (at >= item.size())
            return false;
        const char c = item[at];
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        const bool same = i < quoteAt    ? lower == kClassIs[i]
                          : i == quoteAt ? (c == '\'' || c == '"')
                                         : lower == lowerClass[i - quoteAt - 1];
        if (!same)
            return false;
    }
    return true;
}

// Where a block of each class may first start; npos when nowhere.
struct BlockStarts
{
    std::size_t name = std::string_view::npos;
    std::size_t price = std::string_view::npos;
    std::size_t icons = std::string_view::npos;
    std::size_t sign = std::string_view::npos;
};

BlockStarts findBlockStarts(std::string_view item)
{
    BlockStarts starts;
    constexpr std::size_t npos = std::string_view::npos;
    auto take = [&](std::size_t& start, std::size_t div, std::string_view lowerClass) {
        if (start == npos && mayStartBlock(item, div, lowerClass))
            start = div;
    };
    for (std::size_t div = findWordNoCase(item, "<div"); div != npos;
         div = findWordNoCase(item, "<div", div + 1)) {
        take(starts.name, div, kNameClass);
        take(starts.price, div, kPriceClass);
        take(starts.icons, div, kIconsClass);
        take(starts.sign, div, kSignClass);
        if (starts.name != npos && starts.price != npos && starts.icons != npos && starts.sign != npos)
            break;
    }
    return starts;
}

// Only the icon items are read as a list; the other patterns take their first match.
bool findFirst(const TextPattern& pattern, std::string_view subject, std::size_t from, bool checked,
               TextMatch& match)
{
    return from != std::string_view::npos &&
           pattern.find(subject, from, checked, match) == MatchResult::Found;
}

std::string joinTags(const std::vector<std::string>& tags)
{
    std::string text;
    for (const std::string& tag : tags)
        text.append(tag).append(",");
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace

GoodsRecord extractItem(const std::string& goodsId, std::string_view itemText)
{
    // One UTF-8 check for the five runs (and the groups cut from the text).
    return extractItem(goodsId, itemText, isValidUtf8(itemText));
}

GoodsRecord extractItem(const std::string& goodsId, std::string_view itemText, bool checked)
{
    const ItemPatterns& patterns = itemPatterns();
    GoodsRecord record;
    record.goodsId = goodsId;
    TextMatch match;
    // Unchecked text runs from its start: PCRE2 checks a subject's UTF-8 only
    // from where the run starts, and text that is not UTF-8 must fail every run.
    const BlockStarts starts = checked ? findBlockStarts(itemText) : BlockStarts{0, 0, 0, 0};

    if (findFirst(patterns.name, itemText, starts.name, checked, match)) {
        std::string label = removeSpaces(match.group(1));
        if (!label.empty())
            record.tags.push_back(std::move(label));
        record.name = match.group(2);
    }

    if (findFirst(patterns.price, itemText, starts.price, checked, match))
        record.price = round2(parseNumber(match.group(1)));

    if (findFirst(patterns.iconBlock, itemText, starts.icons, checked, match)) {
        // Cut from checked text at ASCII markup, the block is valid UTF-8 when the item is.
        patterns.iconItem.findAll(match.group(1), checked, [&](const TextMatch& icon) {
            if (!icon.group(1).empty())
                record.tags.emplace_back(icon.group(1));
        });
    }

    if (findFirst(patterns.sign, itemText, starts.sign, checked, match)) {
        std::string sign(match.group(1));
        sign.append(match.group(2));
        if (!sign.empty())
            record.tags.push_back(std::move(sign));
    }

    record.tagText = joinTags(record.tags);
    record.passesFilter = 1;
    return record;
}

} // namespace zorvane
