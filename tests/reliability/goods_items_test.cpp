// The linear goods item scan gives exactly the matches of a plain global run
// of the goods item pattern, on real pages and on pages built to confuse it.
#include "search/goods_items.h"

#include <random>

#include <gtest/gtest.h>

#include "search/patterns.h"
#include "services/regex_service.h"
#include "tests/search/real_pages.h"

namespace zorvane {
namespace {

// The scan's item texts are views into the page; the run's are copies.
struct RunItem
{
    std::string goodsId;
    std::string text;
};

std::optional<std::vector<RunItem>> globalRun(const std::string& page)
{
    RegexService regex;
    if (!regex.create(kGoodsItemPattern, page))
        return std::nullopt;
    std::vector<RunItem> items;
    for (int i = 1; i <= regex.matchCount(); ++i)
        items.push_back({regex.subMatchText(i, 1), regex.matchText(i)});
    return items;
}

// Returns the number of items.
std::size_t expectSameItems(const std::string& page)
{
    const std::optional<std::vector<RunItem>> expected = globalRun(page);
    const std::optional<std::vector<GoodsItemText>> found = findGoodsItems(page);
    EXPECT_EQ(found.has_value(), expected.has_value());
    if (!expected || !found)
        return 0;
    EXPECT_EQ(found->size(), expected->size());
    if (found->size() != expected->size())
        return 0;
    for (std::size_t i = 0; i < expected->size(); ++i) {
        EXPECT_EQ((*found)[i].goodsId, (*expected)[i].goodsId) << i;
        EXPECT_EQ((*found)[i].text, (*expected)[i].text) << i;
    }
    return found->size();
}

TEST(GoodsItemScan, RealPagesGiveTheGlobalRunsItems)
{
    for (const std::string& name : testing::realPageNames()) {
        SCOPED_TRACE(name);
        const std::string page = testing::readRealPage(name);
        expectSameItems(page);
        EXPECT_FALSE(findGoodsItems(page)->empty());
    }
}

TEST(GoodsItemScan, ConfusingPagesGiveTheGlobalRunsItems)
{
    // Pieces of item markup in any order: heads with and without a usable
    // data-sku, item ends with white space and letter case the pattern takes
    // or refuses, stray '>' and "<li" inside tags, characters that fold.
    const std::vector<std::string> pieces = {
        "<li data-sku=\"12\">", "<LI class=x DATA-SKU='7' >", "<li data-sku=\"1x\">", "<li data-sku=>",
        "<li ", "<li", "<lI data-ſku=\"5\">", "data-sku=\"3\"", ">", "</div>", "</DIV>", "</li>", "</Li>",
        " ", "\t", "\n", "\v", "\f", "\r", "\xC2\xA0", "<div class=\"p-name\"><em>名</em>", "x", "中",
        "</div >", "< /li>", "<", "li", "\"", "'", "4",
        // Whole heads and ends come up often, so that items form.
        "<li data-sku=\"12\">", "<li data-sku=\"9\" x>", "</div>\n</li>", "</div></li>", "</div> \r\n </LI>"};
    std::mt19937 random(20240607);
    std::size_t items = 0;
    for (int round = 0; round < 10000; ++round) {
        std::string page;
        const int count = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < count; ++i)
            page += pieces[random() % pieces.size()];
        SCOPED_TRACE(page);
        items += expectSameItems(page);
        if (::testing::Test::HasFailure())
            return;
    }
    // The pieces make items often enough to compare their texts too.
    EXPECT_GT(items, 1000u);
}

TEST(GoodsItemScan, TextThatIsNotUtf8CannotBeRead)
{
    const std::string page = "<li data-sku=\"1\"><div>\xFF</div></li>";
    EXPECT_FALSE(findGoodsItems(page).has_value());
    EXPECT_FALSE(globalRun(page).has_value());
}

} // namespace
} // namespace zorvane
