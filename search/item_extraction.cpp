#include "search/item_extraction.h"

#include "core/numbers.h"
#include "core/text.h"
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

// Only the icon items are read as a list; the other patterns take their first match.
bool findFirst(const TextPattern& pattern, std::string_view subject, bool checked, TextMatch& match)
{
    return pattern.find(subject, 0, checked, match) == MatchResult::found;
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

    if (findFirst(patterns.name, itemText, checked, match)) {
        std::string label = removeSpaces(match.group(1));
        if (!label.empty())
            record.tags.push_back(std::move(label));
        record.name = match.group(2);
    }

    if (findFirst(patterns.price, itemText, checked, match))
        record.price = round2(parseNumber(match.group(1)));

    if (findFirst(patterns.iconBlock, itemText, checked, match)) {
        // Cut from checked text at ASCII markup, the block is valid UTF-8 when the item is.
        patterns.iconItem.findAll(match.group(1), checked, [&](const TextMatch& icon) {
            if (!icon.group(1).empty())
                record.tags.emplace_back(icon.group(1));
        });
    }

    if (findFirst(patterns.sign, itemText, checked, match)) {
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
