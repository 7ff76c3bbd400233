#include "goods/display_text.h"

#include <regex>

#include <gtest/gtest.h>

#include "search/goods_items.h"
#include "search/item_extraction.h"
#include "tests/search/real_pages.h"

namespace zorvane {
namespace {

TEST(DisplayText, MarkupEntitiesAndWhiteSpace)
{
    const struct
    {
        const char* raw;
        const char* shown;
    } cases[] = {
        {"乳清<font class=\"skcolor_ljg\">蛋白</font>粉", "乳清蛋白粉"},
        {"\n\t  宠物&amp;水族\r\n", "宠物&水族"},
        {"&lt;b&gt;粗&lt;/b&gt; &quot;a&quot; &#39;b&#39;", "<b>粗</b> \"a\" 'b'"},
        {"a&nbsp;\xE3\x80\x80&#10;b", "a b"},
        {"&#x4E2D;&#25991;&#0;", "中文\xEF\xBF\xBD"},
        {"&amp;amp; &copy; & ;", "&amp; &copy; & ;"},
        {"a < b <!-- x > y --> c<br/>d", "a < b c d"},
        {"名称<span", "名称"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayText(c.raw), c.shown) << c.raw;
}

// Every name and tag list of the saved pages reads as text: no markup, no
// entity, no blank at either end, and nothing lost where the raw name
// holds text outside its markup.
TEST(DisplayText, RealPagesNamesAndTagsReadAsText)
{
    const std::regex markup("<[^>]*>");
    const std::regex entity("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);");
    const std::regex visible("[0-9A-Za-z\x80-\xff]");
    int names = 0;
    int changed = 0;
    for (const std::string& page : testing::realPageNames()) {
        const std::string text = testing::readRealPage(page); // the items are views into it
        const auto items = findGoodsItems(text);
        ASSERT_TRUE(items) << page;
        for (const GoodsItemText& item : *items) {
            const GoodsRecord record = extractItem(item.goodsId, item.text);
            for (const std::string& raw : {record.name, record.tagText}) {
                const std::string shown = displayText(raw);
                SCOPED_TRACE(page + ": " + raw);
                EXPECT_EQ(shown.find('<'), std::string::npos);
                EXPECT_FALSE(std::regex_search(shown, entity));
                EXPECT_TRUE(shown.empty() || (shown.front() != ' ' && shown.back() != ' '));
                EXPECT_EQ(shown.find("  "), std::string::npos);
                if (std::regex_search(std::regex_replace(raw, markup, ""), visible)) {
                    EXPECT_FALSE(shown.empty());
                }
            }
            ++names;
            changed += displayText(record.name) != record.name;
        }
    }
    EXPECT_GT(names, 100);
    EXPECT_GT(changed, 0);
}

} // namespace
} // namespace zorvane
