#include "search/item_extraction.h"

#include "core/numbers.h"
#include "core/text.h"
#include "search/patterns.h"
#include "services/regex_service.h"

namespace zorvane {

namespace {

// Only the icon items are read as a list; the other patterns take their first match.
bool runFirst(RegexService& regex, std::string_view pattern, std::string_view subject, bool checked)
{
    return regex.create(pattern, std::string(subject), {.global = false, .subjectChecked = checked}) &&
           regex.matchCount() >= 1;
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
    GoodsRecord record;
    record.goodsId = goodsId;
    RegexService regex;

    if (runFirst(regex, kNamePattern, itemText, checked)) {
        std::string label = removeSpaces(regex.subMatchText(1, 1));
        if (!label.empty())
            record.tags.push_back(std::move(label));
        record.name = regex.subMatchText(1, 2);
    }

    if (runFirst(regex, kPricePattern, itemText, checked))
        record.price = round2(parseNumber(regex.subMatchText(1, 1)));

    if (runFirst(regex, kIconBlockPattern, itemText, checked)) {
        std::string icons = regex.subMatchText(1, 1);
        if (regex.create(kIconItemPattern, std::move(icons), {.subjectChecked = checked})) {
            for (int i = 1, n = regex.matchCount(); i <= n; ++i) {
                std::string icon = regex.subMatchText(i, 1);
                if (!icon.empty())
                    record.tags.push_back(std::move(icon));
            }
        }
    }

    if (runFirst(regex, kSignPattern, itemText, checked)) {
        std::string sign = regex.subMatchText(1, 1) + regex.subMatchText(1, 2);
        if (!sign.empty())
            record.tags.push_back(std::move(sign));
    }

    record.tagText = joinTags(record.tags);
    record.passesFilter = 1;
    return record;
}

} // namespace zorvane
