// zorvane-cli extract on saved result pages.
#include <algorithm>

#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/search/real_pages.h"

namespace zorvane::test {
namespace {

std::string realPagePath(const std::string& name)
{
    return std::string(ZORVANE_TEST_DATA) + "/realpages/" + name;
}

std::string field(const std::string& line, std::size_t n)
{
    const std::vector<std::string> fields = splitText(line, "\t");
    return n < fields.size() ? fields[n] : "";
}

TEST(CliExtract, EveryRealPageGivesOneLinePerGoodsItemInPageOrder)
{
    for (const std::string& name : testing::realPageNames()) {
        const CliRun run = runCli({"extract", realPagePath(name)});
        ASSERT_EQ(run.status, 0) << name << "\n" << run.err;
        EXPECT_EQ(run.err, "") << name;
        ASSERT_FALSE(run.out.empty()) << name;
        EXPECT_EQ(run.out.back(), '\n') << name;
        EXPECT_EQ(run.out.find('\r'), std::string::npos) << name;

        // The ids, as a plain scan of the page's goods tags finds them.
        std::vector<std::string> ids;
        for (const std::string& line : linesOf(run.out)) {
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << name << ": " << line;
            ids.push_back(field(line, 0));
        }
        EXPECT_EQ(ids, testing::scanGoodsIds(testing::readRealPage(name))) << name;
    }
}

TEST(CliExtract, LinesOfRealPagesWithBreaksAndTabsInsideFields)
{
    struct Expected
    {
        const char* page;
        std::size_t line;
        std::string text;
    };
    const Expected cases[] = {
        {"2020-07-fragment.html", 2,
         "100008610496\t\\t\\n戴尔(DELL)成就3471 英特尔酷睿i3 高性能 商用办公 台式<font "
         "class=\"skcolor_ljg\">电脑</font>整机(i3-9100 8G 1T 四年上门  "
         "WIFI)21.5英寸\t2889\t京品电脑,自营,秒杀"},
        {"2022-09-dom-cr.html", 3,
         "10033478825233\t游戏电竞男usb办公轻音网吧台式电脑笔记本通用华为惠普 华硕 PB1P 六键游戏<font "
         "class=\"skcolor_ljg\">鼠标</font> "
         "经典黑\t28.8\t\\r英菲克（INPHIC）PB1P有线<fontclass=\"skcolor_ljg\">"
         "鼠标,京东物流,放心购,闪购,券300-20"},
        {"2023-07-raw-b.html", 6,
         "10048946858708\t\\t\\r\\n古娅妍夏季套装日系学院风宽松显瘦牛仔<font "
         "class=\"skcolor_ljg\">背带裤</font>"
         "少女学生粉色衬衫 白色<font class=\"skcolor_ljg\">背带裤</font>【版】 M\t59\t爱心东东,免邮"},
    };
    for (const Expected& expected : cases) {
        const CliRun run = runCli({"extract", realPagePath(expected.page)});
        ASSERT_EQ(run.status, 0) << expected.page;
        const std::vector<std::string> lines = linesOf(run.out);
        ASSERT_GE(lines.size(), expected.line) << expected.page;
        EXPECT_EQ(lines[expected.line - 1], expected.text) << expected.page;
    }
}

TEST(CliExtract, BackslashesTabsAndBreaksAreEscaped)
{
    TempDir dir;
    FixtureShop shop;
    const std::string page =
        replaceAll(shop.pageText(1), "<em>测试商品 1-1</em>", "<em>a\\b\tc\r\nd\\\\</em>");
    const std::string path = dir.file("page.html");
    writeFileBytes(path, page);
    const CliRun run = runCli({"extract", path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1001\ta\\\\b\\tc\\r\\nd\\\\\\\\\t11.5\t自营\n"
                       "1002\t测试商品 1-2\t12.5\t自营\n");
}

TEST(CliExtract, FilesInTheirOrderUnreadableOnesReported)
{
    TempDir dir;
    FixtureShop shop;
    const std::string first = dir.file("first.html");
    const std::string second = dir.file("second.html");
    writeFileBytes(first, shop.pageText(2));
    writeFileBytes(second, shop.pageText(1));
    const std::string missing = dir.file("missing.html");

    CliRun run = runCli({"extract", first, missing, second});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "2001\t测试商品 2-1\t21.5\t自营\n2002\t测试商品 2-2\t22.5\t自营\n"
                       "1001\t测试商品 1-1\t11.5\t自营\n1002\t测试商品 1-2\t12.5\t自营\n");
    EXPECT_EQ(run.err, "zorvane-cli: cannot read " + missing + "\n");

    // A directory is no page either.
    run = runCli({"extract", dir.path().string()});
    EXPECT_EQ(run.status, 1);

    // A page without goods items is told on standard error, and is no failure.
    run = runCli({"extract", realPagePath("README.md")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zorvane-cli: " + realPagePath("README.md") + ": no goods items\n");
}

TEST(CliExtract, AClosedOutputPipeEndsWithoutAWord)
{
    const std::string page = realPagePath(testing::realPageNames().front());
    for (const char* format : {"tsv", "json", "csv"}) {
        // Two pages: the lines of the first already find the reader gone.
        CliProcess process({"extract", "--format", format, page, page}, "/dev/null", true);
        ASSERT_TRUE(process.started());
        const CliRun run = process.wait();
        EXPECT_EQ(run.status, 141) << format;
        EXPECT_EQ(run.err, "") << format;
    }
}

} // namespace
} // namespace zorvane::test
