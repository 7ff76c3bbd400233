// zorvane-cli's Excel workbooks, read back by an independent reader.
#include <algorithm>

#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/xlsx_reader.h"

namespace zorvane::test {
namespace {

struct Goods
{
    std::string name;
    std::string id;
    std::string price; // as the reader prints the number
};

// The characters of a UTF-8 text.
double characters(const std::string& text)
{
    return static_cast<double>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Fits: no narrower than its characters, no wider than twice them (all wide)
// and the room for the filter button.
void expectFits(double width, const std::string& text)
{
    EXPECT_GE(width, characters(text)) << text;
    EXPECT_LE(width, 2 * characters(text) + 6) << text;
}

void expectWorkbook(const XlsxBook& book, const std::vector<Goods>& goods)
{
    ASSERT_EQ(book.failure, "");
    EXPECT_EQ(book.sheets, std::vector<std::string>{"商品"});
    EXPECT_EQ(book.frozenAt, "A2");
    EXPECT_EQ(book.filterOver, "A1:E" + std::to_string(goods.size() + 1));
    const char* const titles[] = {"名称", "商品ID", "价格", "商品标签", "链接"};
    for (int c = 0; c < 5; ++c) {
        const XlsxCell& title = book.cells.at(std::string(1, static_cast<char>('A' + c)) + "1");
        EXPECT_EQ(title.value, titles[c]);
        EXPECT_TRUE(title.bold) << titles[c];
    }
    for (std::size_t i = 0; i < goods.size(); ++i) {
        const std::string row = std::to_string(i + 2);
        SCOPED_TRACE(row);
        EXPECT_EQ(book.cells.at("A" + row).value, goods[i].name);
        const XlsxCell& id = book.cells.at("B" + row);
        EXPECT_EQ(id.type, "s");
        EXPECT_EQ(id.value, goods[i].id);
        const XlsxCell& price = book.cells.at("C" + row);
        EXPECT_EQ(price.type, "n");
        EXPECT_EQ(price.format, "0.00");
        EXPECT_EQ(price.value, goods[i].price);
        EXPECT_EQ(book.cells.at("D" + row).value, "自营");
        const XlsxCell& link = book.cells.at("E" + row);
        EXPECT_EQ(link.link, "https://item.jd.com/" + goods[i].id + ".html");
        EXPECT_EQ(link.value, link.link);
        EXPECT_GE(book.widths.at("A"), characters(goods[i].name));
    }
    EXPECT_EQ(book.cells.count("A" + std::to_string(goods.size() + 2)), 0u);
    expectFits(book.widths.at("E"), book.cells.at("E2").value);
    expectFits(book.widths.at("B"), "商品ID");
}

TEST(CliXlsx, SearchAndExtractWriteAWorkbookThatReadsBack)
{
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    TempDir dir;
    // A saved page whose first name carries markup and an entity, as shops write them.
    std::string page = shop.pageText(1);
    page = replaceAll(page, "<em>测试商品 1-1",
                      "<em>测试<font class=\"skcolor_ljg\">商品</font> 1-1 &amp; 套装");
    writeFileBytes(dir.file("page.html"), page);
    std::vector<Goods> walked;
    for (int p = 1; p <= 3; ++p) {
        for (int i = 1; i <= 2; ++i)
            walked.push_back({"测试商品 " + std::to_string(p) + "-" + std::to_string(i),
                              FixtureShop::goodsId(p, i), std::to_string(p * 10 + i) + ".5"});
    }
    const std::vector<Goods> extracted = {{"测试商品 1-1 & 套装", "1001", "11.5"}, walked[1]};
    struct Case
    {
        std::vector<std::string> args;
        std::vector<Goods> goods;
    };
    const Case cases[] = {
        {{"search", "-i", "0", "--cacert", TestServer::caFile(), "--search-host", shop.searchHost(),
          "--no-history", "--format", "xlsx", "-o", dir.file("walk.xlsx"), shop.firstPageUrl()},
         walked},
        {{"extract", "--format", "xlsx", "-o", dir.file("page.xlsx"), dir.file("page.html")}, extracted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const CliRun run = runCli(c.args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        expectWorkbook(readXlsx(c.args[c.args.size() - 2]), c.goods);
    }
}

TEST(CliXlsx, AWorkbookNeedsAFileOrAPipe)
{
    TempDir dir;
    writeFileBytes(dir.file("page.html"), FixtureShop().pageText(1));
    const std::string page = dir.file("page.html");
    struct Case
    {
        std::vector<std::string> args;
        bool terminal;
        int status;
        std::string said;
    };
    const Case cases[] = {
        {{"extract", "--format", "xlsx", page}, false, 2, "zorvane-cli: --format xlsx needs -o FILE\n"},
        {{"search", "--format", "xlsx", "https://127.0.0.1:9/"},
         false,
         2,
         "zorvane-cli: --format xlsx needs -o FILE\n"},
        {{"extract", "--format", "xlsx", "-o", "-", page},
         true,
         2,
         "zorvane-cli: an xlsx workbook does not show on a terminal; use -o FILE\r\n"},
        {{"extract", "--format", "xlsx", "--encoding", "utf-8", "-o", "x.xlsx", page},
         false,
         2,
         "zorvane-cli: --encoding applies to --format csv only\n"},
        {{"extract", "--format", "xlsx", "-o", "-", page}, false, 0, ""},
        {{"extract", "--format", "xlsx", "-o", "/dev/full", page},
         false,
         1,
         "zorvane-cli: cannot write /dev/full: No space left on device\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliRun run = c.terminal ? runCliOnTerminal(c.args) : runCli(c.args);
        EXPECT_EQ(run.status, c.status);
        if (c.terminal)
            EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
        else
            EXPECT_EQ(run.err, c.said);
        if (c.status == 0) {
            EXPECT_TRUE(startsWith(run.out, "PK")) << "a workbook is a zip file";
        }
    }
}

} // namespace
} // namespace zorvane::test
