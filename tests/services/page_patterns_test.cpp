#include "tests/services/page_patterns.h"

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "services/regex_service.h"

namespace zorvane {
namespace {

using namespace zorvane::test;

std::string readPage(const std::string& name)
{
    std::ifstream in(std::string(ZORVANE_TEST_DATA) + "/realpages/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The search code's patterns, run the way it runs them, with JIT and without.
class PagePatternsTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { RegexService::setJitEnabled(GetParam()); }
    void TearDown() override { RegexService::setJitEnabled(true); }

    // First match's group of a non-global run; "" when there is none.
    static std::string firstGroup(std::string_view pattern, const std::string& subject, int group = 1)
    {
        RegexService re;
        EXPECT_TRUE(re.create(pattern, subject, {.global = false}));
        return re.subMatchText(1, group);
    }
};

TEST(PagePatterns, TextsHaveTheirKnownByteLengths)
{
    EXPECT_EQ(kGoodsItemPattern.size(), 63u);
    EXPECT_EQ(kNamePattern.size(), 107u);
    EXPECT_EQ(kPricePattern.size(), 69u);
    EXPECT_EQ(kIconBlockPattern.size(), 58u);
    EXPECT_EQ(kIconItemPattern.size(), 24u);
    EXPECT_EQ(kSignPattern.size(), 134u);
    EXPECT_EQ(kBaseUrlPattern.size(), 42u);
    EXPECT_EQ(kClickPattern.size(), 32u);
    EXPECT_EQ(kPagingPattern.size(), 28u);
}

TEST_P(PagePatternsTest, GoodsItemsOfRealPages)
{
    struct Expected
    {
        const char* page;
        int items;
        const char* firstId;
        const char* lastId;
    };
    for (const Expected& e : {Expected{"2024-05-dom.html", 60, "100105483276", "100049775534"},
                              Expected{"2016-03-raw.html", 60, "11371342", "1715729143"},
                              Expected{"2022-09-dom-cr.html", 30, "6027207", "40087947179"}}) {
        SCOPED_TRACE(e.page);
        const std::string page = readPage(e.page);
        ASSERT_FALSE(page.empty());
        RegexService re;
        ASSERT_TRUE(re.create(kGoodsItemPattern, page));
        ASSERT_EQ(re.matchCount(), e.items);
        EXPECT_EQ(re.subMatchText(1, 1), e.firstId);
        EXPECT_EQ(re.subMatchText(e.items, 1), e.lastId);
        for (int i = 1; i <= e.items; ++i) {
            const std::string item = re.matchText(i);
            ASSERT_EQ(item.rfind("<li", 0), 0u) << i;
            ASSERT_EQ(item.substr(item.size() - 5), "</li>") << i;
        }
    }
}

TEST_P(PagePatternsTest, ScriptValuesOfRealPages)
{
    const std::string old = readPage("2016-03-raw.html");
    EXPECT_EQ(firstGroup(kBaseUrlPattern, old), "keyword=123&enc=utf-8&qrst=1&rt=1&stop=1&vt=2");
    EXPECT_EQ(firstGroup(kClickPattern, old), "0");
    EXPECT_EQ(firstGroup(kPagingPattern, old), "1,100,41811,\"\",0");

    const std::string recent = readPage("2024-05-dom.html");
    EXPECT_EQ(firstGroup(kBaseUrlPattern, recent), "keyword=%E6%89%8B%E6%9C%BA\\x26wq=%E6%89%8B%E6%9C%BA"
                                                   "\\x26pvid=5433f3a70e2f42258086a1a3a1abdb85");
    // The first s.init(...) counts, not the later empty one.
    EXPECT_EQ(firstGroup(kPagingPattern, recent), "1, 164, '4800+ ',\"\",1, 0, 0,0, 4, 0 ,0");

    // Carriage returns alone end its lines; '.' runs over them.
    const std::string crOnly = readPage("2022-09-dom-cr.html");
    EXPECT_EQ(firstGroup(kPagingPattern, crOnly), "1, 200, '87万+ ',\"\",1, 0, 0,0, 4, 0 ,0");
}

TEST_P(PagePatternsTest, UpperCaseMarkupIsMatchedByLowerCasePatterns)
{
    const std::string page =
        "<UL><LI DATA-SKU='123' CLASS=\"gl-item\">\n<DIV CLASS=\"P-PRICE\"><STRONG><EM>￥</EM>"
        "<I>59.90</I></STRONG></DIV>\n<DIV CLASS='p-name'><A><EM>Name</EM></A></DIV>\n</LI></UL>";
    RegexService re;
    ASSERT_TRUE(re.create(kGoodsItemPattern, page));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchText(1, 1), "123");
    const std::string item = re.matchText(1);
    EXPECT_EQ(item.substr(item.size() - 12), "</DIV>\n</LI>");
    EXPECT_EQ(firstGroup(kPricePattern, item), "59.90");
    EXPECT_EQ(firstGroup(kNamePattern, item, 2), "Name");
}

TEST_P(PagePatternsTest, NameSplitsALeadingLabelFromTheName)
{
    const std::string head = "<div class=\"p-name p-name-type-2\">\n<a title=\"t\" href=\"x\">\n<em>";
    const std::string labelled = head + "<span class=\"p-tag\" style=\"x\">京品 电脑</span>\t\nThinkPad "
                                        "<font class=\"skcolor_ljg\">X1</font></em></a></div>";
    EXPECT_EQ(firstGroup(kNamePattern, labelled, 1), "京品 电脑");
    EXPECT_EQ(firstGroup(kNamePattern, labelled, 2), "\t\nThinkPad <font class=\"skcolor_ljg\">X1</font>");

    const std::string selfClosing = head + "<img class=\"p-tag3\" src=\"a.png\" />Name</em>";
    EXPECT_EQ(firstGroup(kNamePattern, selfClosing, 1), "");
    EXPECT_EQ(firstGroup(kNamePattern, selfClosing, 2), "Name");

    // The lazy label group cannot cross a line, so the element stays in the name.
    const std::string splitLabel = head + "<span>a\nb</span>rest</em>";
    EXPECT_EQ(firstGroup(kNamePattern, splitLabel, 1), "");
    EXPECT_EQ(firstGroup(kNamePattern, splitLabel, 2), "<span>a\nb</span>rest");
}

TEST_P(PagePatternsTest, PriceIconsAndSign)
{
    const std::string item =
        "<div class=\"p-price\"><strong><em>￥</em><i data-price=\"9\">x</i><i>25.20</i></strong></div>"
        "<div class=\"p-icons\" id=\"J_pro_1\"><i class=\"goods-icons J-picon-tips\" data-tips=\"a\">自营</i>"
        "<i class=\"goods-icons4\"></i><img src=\"b.png\"><i data-tips=\"c\">券500-50</i></div>"
        "<div class=\"sign-title ac\">每满200减30\n<span class=\"sign-date\">6.27-7.10</span>\n</div>";
    EXPECT_EQ(firstGroup(kPricePattern, item), "25.20");

    const std::string icons = firstGroup(kIconBlockPattern, item);
    RegexService re;
    ASSERT_TRUE(re.create(kIconItemPattern, icons));
    ASSERT_EQ(re.matchCount(), 3);
    EXPECT_EQ(re.subMatchText(1, 1), "自营");
    EXPECT_EQ(re.subMatchText(2, 1), "");
    EXPECT_EQ(re.subMatchText(3, 1), "券500-50");

    EXPECT_EQ(firstGroup(kSignPattern, item, 1), "每满200减30");
    EXPECT_EQ(firstGroup(kSignPattern, item, 2), "6.27-7.10");
    const std::string undated = "<div class=\"sign-title\">满减 </div>";
    EXPECT_EQ(firstGroup(kSignPattern, undated, 1), "满减");
    EXPECT_EQ(firstGroup(kSignPattern, undated, 2), "");
}

TEST_P(PagePatternsTest, ScriptValuesNeedAWordBoundaryAndOneLine)
{
    const std::string script = "var SEARCH={};\nSEARCH.base_url='keyword=a&enc=utf-8';\nSEARCH.click=;\n"
                               "s.init(2, 10, \"\", 0, 0, 0, 61, 1, 0, 0);";
    EXPECT_EQ(firstGroup(kBaseUrlPattern, script), "keyword=a&enc=utf-8");
    RegexService re;
    ASSERT_TRUE(re.create(kClickPattern, script, {.global = false}));
    ASSERT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.subMatchText(1, 1), "");
    EXPECT_EQ(firstGroup(kPagingPattern, script), "2, 10, \"\", 0, 0, 0, 61, 1, 0, 0");

    for (const char* miss :
         {";MYSEARCH.base_url='x';", ";SEARCH.base_url='a\nb';", ";this.init(1);", ";s.init(1,\n2);"}) {
        SCOPED_TRACE(miss);
        for (std::string_view pattern : {kBaseUrlPattern, kPagingPattern}) {
            ASSERT_TRUE(re.create(pattern, miss, {.global = false}));
            EXPECT_EQ(re.matchCount(), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(JitAndInterpreter, PagePatternsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& run) {
                             return run.param ? "Jit" : "Interpreter";
                         });

} // namespace
} // namespace zorvane
