#include "goods/filter.h"

#include <algorithm>
#include <cstdint>

#include "base/numbers.h"
#include "base/text.h"
#include "core/app_state.h"
#include "core/feedback.h"
#include "core/log.h"

namespace zorvane {

namespace {

// The ASCII byte a full-width character reads as, or 0 when it has none.
char asciiTwin(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<char>(c - 0xFF01 + 0x21);
    switch (c) {
    case 0x3000:
        return ' ';
    case 0xFFE5: // ￥ sits where GBK keeps the full-width '$'
        return '$';
    case 0xFFE3: // ￣ sits where GBK keeps the full-width '~'
        return '~';
    case 0x2606: // ☆
    case 0x2605: // ★
        return '*';
    default:
        return 0;
    }
}

// Decodes the three-byte UTF-8 character at text[i]; 0 when there is none.
char32_t threeByteChar(std::string_view text, std::size_t i)
{
    if (i + 2 >= text.size())
        return 0;
    auto b0 = static_cast<unsigned char>(text[i]);
    auto b1 = static_cast<unsigned char>(text[i + 1]);
    auto b2 = static_cast<unsigned char>(text[i + 2]);
    if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80)
        return 0;
    return static_cast<char32_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
}

} // namespace

std::string fullWidthToAscii(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // Every character mapped here is three bytes long in UTF-8.
        if (char ascii = asciiTwin(threeByteChar(text, i))) {
            out += ascii;
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

double parsePriceBound(std::string_view text)
{
    return round2(parseNumber(fullWidthToAscii(text)));
}

FilterCriteria makeFilterCriteria(std::vector<std::string> tickedTags, std::string_view minText,
                                  std::string_view maxText)
{
    FilterCriteria criteria;
    criteria.tickedTagCount = static_cast<int>(tickedTags.size());
    criteria.tickedTags = std::move(tickedTags);
    std::string minBare = removeSpaces(minText);
    if (!minBare.empty()) {
        criteria.hasMinPrice = 1;
        criteria.minPrice = parsePriceBound(minBare);
    }
    std::string maxBare = removeSpaces(maxText);
    if (!maxBare.empty()) {
        criteria.hasMaxPrice = 1;
        criteria.maxPrice = parsePriceBound(maxBare);
    }
    return criteria;
}

bool isNewOrCheaper(std::string_view change)
{
    return startsWith(change, "新") || startsWith(change, "降");
}

bool goodsPassesFilter(const GoodsRecord& record, const FilterCriteria& criteria)
{
    std::size_t tagCount =
        std::min(criteria.tickedTags.size(), static_cast<std::size_t>(std::max(criteria.tickedTagCount, 0)));
    for (std::size_t t = 0; t < tagCount; ++t) {
        const std::string& ticked = criteria.tickedTags[t];
        if (std::find(record.tags.begin(), record.tags.end(), ticked) == record.tags.end())
            return false;
    }
    if (criteria.hasMinPrice && !(record.price - criteria.minPrice >= -kPriceTolerance))
        return false;
    if (criteria.hasMaxPrice && !(record.price - criteria.maxPrice <= kPriceTolerance))
        return false;
    return !criteria.onlyNewOrCheaper || isNewOrCheaper(record.change);
}

void runFilter(AppState& state, FeedbackSink& sink, const FilterCriteria& criteria)
{
    std::size_t total = 0;
    const std::vector<std::int64_t> passing = state.goods.markPassing([&](const GoodsRecord& record) {
        ++total;
        return goodsPassesFilter(record, criteria);
    });
    appendLog(state,
              "总数量：" + std::to_string(total) + "，符合要求商品的数量：" + std::to_string(passing.size()));
    for (std::int64_t n : passing)
        sink.send(Feedback{kFeedbackShowGoods, n, std::nullopt});
    sink.send(Feedback{kFeedbackFilterEnded, 0, std::nullopt});
}

} // namespace zorvane
