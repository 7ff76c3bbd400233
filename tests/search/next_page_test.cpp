#include "search/next_page.h"

#include <limits>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/log.h"
#include "real_pages.h"
#include "search/patterns.h"
#include "search/search_job.h"

namespace zorvane {
namespace {

std::string query(std::string_view arguments)
{
    auto values = parseJsArguments(arguments);
    EXPECT_TRUE(values.has_value()) << arguments;
    return pagingQuery(values.value_or(std::vector<JsValue>{}));
}

TEST(PagingQuery, WorkedExamples)
{
    // Twice loading on: g 1, m 50, candidate 3, s = 56 + 30 - 3 + 3.
    EXPECT_EQ(query("1, 100, 0, 0, 1, 0, 56, 1, 3, 0"), "page=3&s=86");
    // Twice loading on, a1 3, a2 6: g 2, m 3, candidate 5.
    EXPECT_EQ(query("3, 6, 0, 0, 1, 0, 0, 0, 0, 0"), "page=5&s=30");
    // Twice loading off: candidate 3, E 60, s = 61.
    EXPECT_EQ(query("2, 10, 0, 0, 0, 0, 61, 0, 0, 0"), "page=3&s=61");
}

TEST(PagingQuery, LastPage)
{
    EXPECT_EQ(query("5, 5, 0, 0, 0, 0, 1, 1, 0, 0"), "-1");
    EXPECT_EQ(query("7, 5"), "-1");
    // Twice loading on compares the halves: ceil(3/2) = ceil(4/2).
    EXPECT_EQ(query("3, 4, 0, 0, 1"), "-1");
    EXPECT_EQ(query("Infinity, Infinity"), "-1");
}

TEST(PagingQuery, OffsetsUseTheCurrentPageNotTheHalf)
{
    // Twice loading on, a1 3: G 5, s = 100 + (5-3-1)*30 - min(9,16) + min(9,12) - min(5,8) + min(5,6).
    EXPECT_EQ(query("3, 20, 0, 0, 1, 0, 100, 0, 9, 5"), "page=5&s=130");
    // Twice loading off, a1 2: G 3, c 2, s = 61 + 0 - min(10,16) + min(10,16) - min(3,8) + min(3,8).
    EXPECT_EQ(query("2, 10, 0, 0, 0, 0, 61, 0, 10, 3"), "page=3&s=61");
    // Counts above the caps: s = 10 + 30 - min(50,8) + min(50,4) - min(50,4) + min(50,2).
    EXPECT_EQ(query("1, 10, 0, 0, 1, 0, 10, 0, 50, 50"), "page=3&s=34");
    // Fractional current page: G = parseInt(2.5) = 2, s = 100 + (2-1.5-1)*60.
    EXPECT_EQ(query("1.5, 10, 0, 0, 0, 0, 100, 0, 0, 0"), "page=2&s=70");
}

TEST(PagingQuery, FirstPageStartsAtOne)
{
    EXPECT_EQ(query("0, 10, 0, 0, 0, 0, 500, 0, 3, 3"), "page=1&s=1");
    EXPECT_EQ(query("-5, 10, 0, 0, 0, 0, 500"), "page=1&s=1"); // G < 1 becomes 1
    // 1e21 + 1 is written "1e+21", which parseInt reads as 1.
    EXPECT_EQ(query("1e21, 1e22, 0, 0, 0, 0, 7"), "page=1&s=1");
}

TEST(PagingQuery, JavaScriptValueRules)
{
    // Halving reads quoted numbers as numbers; the string "0" turns twice loading
    // on; the quoted next start is joined with the offset "30" before the - reads it.
    EXPECT_EQ(query("'3', '6', 0, 0, '0', 0, '0x1E', 0, 0, 0"), "page=5&s=7728");
    // "" and null are off and read as 0; true reads as 1.
    EXPECT_EQ(query("true, 10, 0, 0, '', 0, 61, 0, null, null"), "page=2&s=61");
    EXPECT_EQ(query("1, 10, 0, 0, null, 0, 61, 0, 0, 0"), "page=2&s=61");
    // NaN for a5 is off.
    EXPECT_EQ(query("1, 10, 0, 0, NaN, 0, 61, 0, 0, 0"), "page=2&s=61");
    // Missing arguments are undefined, so NaN spreads into the offset.
    EXPECT_EQ(query("1, 100, 41811, '', 0"), "page=2&s=NaN");
    // "12万+" is NaN: the comparison fails, so a page is still computed;
    // "12万+" + 1 is "12万+1", which parseInt reads as 12.
    EXPECT_EQ(query("'12万+', 10"), "page=12&s=NaN");
    EXPECT_EQ(query(""), "page=NaN&s=NaN");
    // parseInt("Infinity") is NaN.
    EXPECT_EQ(query("Infinity, undefined, 0, 0, 0, 0, 0"), "page=NaN&s=NaN");
    // Offsets print in JavaScript's shortest form.
    EXPECT_EQ(query("1, 10, 0, 0, 0, 0, 0.1, 0, -0.2, 0"), "page=2&s=0.10000000000000003");
    EXPECT_EQ(query("1, 10, 0, 0, 0, 0, 1e21, 0, 0, 0"), "page=2&s=1e+21");
}

TEST(PagingQuery, QuotedArgumentsFollowTheStringRulesOfPlusAndCompare)
{
    const struct
    {
        const char* arguments;
        const char* query;
    } cases[] = {
        {"2,10,0,0,0,0,'61',0,0,0", "page=3&s=610"},   // '61' + 0, then - 0 reads "610"
        {"'2',10,0,0,0,0,61,0,0,0", "page=21&s=1141"}, // '2' + 1 is "21"; '2' >= 10 as numbers
        {"'2','10',0,0,0,0,61,0,0,0", "-1"},           // "2" >= "10" as texts
        {"1,10,0,0,0,0,' 30 ',0,0,0", "page=2&s=NaN"}, // " 30 0" is no number
        {"1,100,0,0,1,0,56,1,3,0", "page=3&s=86"},
        {"'0x1f', 100", "page=497&s=NaN"}, // parseInt("0x1f1") reads hex
        {"'b', 'a'", "-1"},
        {"'\\uFF00', '\\u{1F600}'", "-1"}, // compared by UTF-16 units: a surrogate is below U+FF00
        {"null, 10, 0, 0, 0, 0, 61, 0, 0, 0", "page=1&s=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(query(c.arguments), c.query) << c.arguments;
}

TEST(PagingQuery, ArgumentsBeyondTheTenthAreIgnored)
{
    EXPECT_EQ(query("1, 100, 0, 0, 1, 0, 56, 1, 3, 0, 99, 'x'"), "page=3&s=86");
}

class NextPageFixture : public ::testing::Test
{
protected:
    NextPageFixture() { EXPECT_TRUE(state.createLocks().ok()); }

    NextPageResult compute(const std::string& page)
    {
        job.params.nextPageAddress = "https://search.jd.com/Search?previous";
        return computeNextPage(state, job, page);
    }

    std::string log() { return takeLogBuffer(state); }

    AppState state;
    SearchJob job;
};

TEST_F(NextPageFixture, BuildsTheAddressWithTheClickPart)
{
    const std::string page = "<script>\nSEARCH.base_url='keyword=a&enc=utf-8';\nSEARCH.click=12;\n"
                             "s.init(2, 10, 0, 0, 0, 0, 61, 0, 0, 0);\n</script>";
    EXPECT_EQ(compute(page), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress,
              "https://search.jd.com/Search?keyword=a&enc=utf-8&page=3&s=61&click=12");
    EXPECT_EQ(log(), "");
}

TEST_F(NextPageFixture, ClickPartIsOptionalAndMayBeEmpty)
{
    const std::string base = " SEARCH.base_url = \"keyword=a\" ;\n s.init( 2,10,0,0,0,0,61,0,0,0 ) ;";
    EXPECT_EQ(compute(base), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?keyword=a&page=3&s=61");
    EXPECT_EQ(compute(base + "\n SEARCH.click=;"), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?keyword=a&page=3&s=61&click=");
}

TEST_F(NextPageFixture, LastPageEmptiesTheAddress)
{
    EXPECT_EQ(compute(" SEARCH.base_url='q=1';\n s.init(10,10,0,0,0);"), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "");
}

TEST_F(NextPageFixture, DecodesTheBaseQueryEscapesOnly)
{
    EXPECT_EQ(
        compute(" SEARCH.base_url=\"k=%E9\\x26pvid=1\\u0026a=\\/b&amp;c\";\n s.init(2,10,0,0,0,0,61,0,0,0);"),
        NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?k=%E9&pvid=1&a=/b&amp;c&page=3&s=61");
}

TEST_F(NextPageFixture, UsesTheConfiguredSearchHost)
{
    state.config.searchHost = "127.0.0.1:8443";
    EXPECT_EQ(compute(" SEARCH.base_url='k=1';\n s.init(2,10,0,0,0,0,61,0,0,0);"), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://127.0.0.1:8443/Search?k=1&page=3&s=61");
}

TEST_F(NextPageFixture, MissingBaseQueryIsNotFound)
{
    EXPECT_EQ(compute(" SEARCH.click=0;\n s.init(2,10,0,0,0,0,61,0,0,0);"), NextPageResult::NotFound);
    EXPECT_EQ(compute("<p>nothing here</p>"), NextPageResult::NotFound);
    // The name must not merely end in the same letters.
    EXPECT_EQ(compute(" MYSEARCH.base_url='k=1';\n s.init(2,10);"), NextPageResult::NotFound);
    std::string lines = log();
    EXPECT_EQ(lines.find("搜索线程：获取下一页地址失败(匹配baseUrl失败)\r\n"), 9u);
    EXPECT_EQ(lines.size(),
              3 * (9 + std::string("搜索线程：获取下一页地址失败(匹配baseUrl失败)\r\n").size()));
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?previous");
}

TEST_F(NextPageFixture, MissingPagingArgumentsIsNotFound)
{
    EXPECT_EQ(compute(" SEARCH.base_url='k=1';\n pages.init(2,10);"), NextPageResult::NotFound);
    EXPECT_NE(log().find("搜索线程：获取下一页地址失败(匹配js参数失败)"), std::string::npos);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?previous");
}

TEST_F(NextPageFixture, ArgumentsThatAreNotLiteralsFailTheScript)
{
    for (const char* call : {"s.init(1,,2);", "s.init(a+1, 2);", "s.init(alert(1));", "s.init(1, 2 3);",
                             "s.init(1,2,);", "s.init(1,5 // c\n);", "s.init(1,5 /* c);"}) {
        EXPECT_EQ(compute(std::string(" SEARCH.base_url='k=1';\n ") + call), NextPageResult::ScriptFailed)
            << call;
        EXPECT_NE(log().find("搜索线程：获取下一页地址失败(执行脚本失败)"), std::string::npos) << call;
        EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?previous");
    }
}

TEST_F(NextPageFixture, NameNeedsANonWordCharacterBeforeIt)
{
    // At the very start there is no character before the name.
    EXPECT_EQ(compute("SEARCH.base_url='a';\n s.init(2,10);"), NextPageResult::NotFound);
    // Any non-word character counts, a multi-byte one too; letter case does not matter.
    EXPECT_EQ(compute("中search.BASE_URL='a';中S.INIT(2,10,0,0,0,0,61,0,0,0);"), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?a&page=3&s=61");
    // A first occurrence glued to a word is skipped for a later one.
    EXPECT_EQ(
        compute(
            "xSEARCH.base_url='a';\n SEARCH.base_url='b';\n xs.init(1,1);\n s.init(2,10,0,0,0,0,61,0,0,0);"),
        NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?b&page=3&s=61");
}

TEST_F(NextPageFixture, EmptyArgumentListIsAValidCall)
{
    EXPECT_EQ(compute(" SEARCH.base_url='k=1';\n s.init();"), NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?k=1&page=NaN&s=NaN");
}

TEST_F(NextPageFixture, FirstSetUpCallCounts)
{
    EXPECT_EQ(compute(" SEARCH.base_url='k=1';\n s.init(2,10,0,0,0,0,61,0,0,0);\n s.init();"),
              NextPageResult::Done);
    EXPECT_EQ(job.params.nextPageAddress, "https://search.jd.com/Search?k=1&page=3&s=61");
}

TEST(NextPagePatterns, LengthsOfThePatternTexts)
{
    EXPECT_EQ(kBaseQueryPattern.size(), 42u);
    EXPECT_EQ(kClickPattern.size(), 32u);
    EXPECT_EQ(kPagingArgumentsPattern.size(), 28u);
}

struct RealNextPage
{
    const char* page;
    const char* arguments; // as the page writes them
    NextPageResult result;
    const char* address;
};

// Worked by hand from each page's s.init arguments (a5 set: c 1, E 30, H 4, B 2).
const RealNextPage kRealNextPages[] = {
    {"2016-03-fragment.html", nullptr, NextPageResult::NotFound, ""},
    // Five arguments, a5 0: G 2, a7..a10 undefined, so s is NaN.
    {"2016-03-raw.html", R"(1,100,41811,"",0)", NextPageResult::Done,
     "https://search.jd.com/Search?keyword=123&enc=utf-8&qrst=1&rt=1&stop=1&vt=2&page=2&s=NaN&click=0"},
    // s = 30 + 30 - min(0,8) + min(0,4) - min(1,4) + min(1,2) = 60.
    {"2016-09-rewritten.html", R"(1,18,535,"",1,0,30,1,0,1)", NextPageResult::Done,
     "https://search.jd.com/"
     "Search?keyword=%E7%B4%A2%E5%B0%BC%E8%80%B3%E6%9C%BA&enc=utf-8&qrst=1&rt=1&stop=1&vt=2"
     "&sttr=1&bs=1&ev=exbrand_SONY%40&page=3&s=60&click=0"},
    // s = 30 + 30; &amp; stays as the page wrote it.
    {"2019-03-dom.html", R"(1,200,"12万+","0",1,0,30,1,0,0)", NextPageResult::Done,
     "https://search.jd.com/Search?keyword=%E8%9B%8B%E7%99%BD%E7%B2%89&amp;enc=utf-8&amp;qrst=1&amp;rt=1&amp;"
     "stop=1&amp;vt=2&amp;wq=%E8%9B%8B%E7%99%BD%E7%B2%89&page=3&s=60&click=0"},
    {"2019-04-dom.html", R"(1,200,"44万+","0",1,0,29,1,0,0)", NextPageResult::Done,
     "https://search.jd.com/"
     "Search?keyword=%E5%8F%A4%E7%AD%9D&amp;enc=utf-8&amp;qrst=1&amp;rt=1&amp;stop=1&amp;"
     "spm=a.0.0&amp;vt=2&page=3&s=59&click=0"},
    {"2020-07-fragment.html", nullptr, NextPageResult::NotFound, ""},
    // Eleven arguments: s = 0 + 30 - min(5,8) + min(5,4) = 29.
    {"2021-02-raw.html", R"(1, 200, '69万+ ',"",1, 0, 0,0, 5, 0 ,1)", NextPageResult::Done,
     "https://search.jd.com/Search?keyword=%E9%BC%A0%E6%A0%87&page=3&s=29&click=0"},
    // Body only: the paging call is there, the base query is not.
    {"2022-09-dom-cr.html", R"(1, 200, '87万+ ',"",1, 0, 0,0, 4, 0 ,0)", NextPageResult::NotFound, ""},
    // s = 30 - min(3,8) + min(3,4) = 30; \x26 becomes &.
    {"2023-06-raw.html", R"(1, 168, '5000+ ',"",1, 0, 0,0, 3, 0 ,1)", NextPageResult::Done,
     "https://search.jd.com/"
     "Search?keyword=%E5%8D%8E%E4%B8%BAmate50&qrst=1&ev=exbrand_%E5%8D%8E%E4%B8%BA%EF%BC%88"
     "HUAWEI%EF%BC%89%5E&pvid=6a9f4f77c9174fc296a1c99f0a2cecae&page=3&s=30&click=0"},
    {"2023-07-raw-a.html", R"(1, 200, '44万+ ',"",1, 0, 0,0, 4, 0 ,1)", NextPageResult::Done,
     "https://search.jd.com/"
     "Search?keyword=%E9%BB%91%E4%B8%9D&pvid=e5059762a52d47e38c692b5d9e163f1b&page=3&s=30"
     "&click=0"},
    {"2023-07-raw-b.html", R"(1, 200, '67万+ ',"",1, 0, 0,0, 5, 0 ,0)", NextPageResult::Done,
     "https://search.jd.com/Search?keyword=%E8%83%8C%E5%B8%A6%E8%A3%A4&pvid=838cd8c7fee74ad4a27549d2fa5f2c83"
     "&page=3&s=29&click=0"},
    {"2024-05-dom.html", R"(1, 164, '4800+ ',"",1, 0, 0,0, 4, 0 ,0)", NextPageResult::Done,
     "https://search.jd.com/Search?keyword=%E6%89%8B%E6%9C%BA&wq=%E6%89%8B%E6%9C%BA"
     "&pvid=5433f3a70e2f42258086a1a3a1abdb85&page=3&s=30&click=0"},
};

TEST(NextPageRealPages, EveryPageGivesTheHandComputedAddress)
{
    for (const RealNextPage& expected : kRealNextPages) {
        const std::string page = testing::readRealPage(expected.page);
        ASSERT_FALSE(page.empty()) << expected.page;
        if (expected.arguments) {
            // The arguments the pattern captures are the ones the address was worked from.
            const std::string call = std::string("s.init(") + expected.arguments + ");";
            EXPECT_NE(page.find(call), std::string::npos) << expected.page;
        }
        const NextPageOutcome outcome = findNextPage(page, "search.jd.com");
        EXPECT_EQ(outcome.result, expected.result) << expected.page;
        EXPECT_EQ(outcome.address, expected.address) << expected.page;
        if (expected.result == NextPageResult::NotFound) {
            EXPECT_EQ(outcome.error, "获取下一页地址失败(匹配baseUrl失败)") << expected.page;
        }
    }
}

} // namespace
} // namespace zorvane
