// Workbooks past a sheet's rows and Excel's links, written by the real
// libxlsxwriter and read back by an independent reader.
#include <cstdio>
#include <map>

#include <gtest/gtest.h>
#include <unistd.h>

#include "goods/xlsx_export.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xlsx_reader.h"

namespace zorvane::test {
namespace {

// What the process writes to its standard error while it lives.
class StderrCapture final
{
public:
    explicit StderrCapture(const std::string& path) : m_saved(::dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        std::FILE* file = std::fopen(path.c_str(), "w");
        ::dup2(::fileno(file), STDERR_FILENO);
        std::fclose(file);
    }
    ~StderrCapture()
    {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

private:
    int m_saved;
};

std::string link(std::string_view id)
{
    return "https://item.example/" + std::string(id) + ".html";
}

TEST(XlsxSheets, GoodsPastASheetGoOnInTheNextAndLinksPastExcelsLimitAreText)
{
    struct Case
    {
        const char* name;
        int goods; // 商品1, 商品2, … with the hidden ones below left out
        std::size_t rowsPerSheet;
        std::vector<int> hidden;
        std::vector<std::string> sheets;
        std::map<std::string, std::string> values; // cell: value ("" = no such cell)
        std::map<std::string, std::string> links;  // cell: its link's target
        std::vector<XlsxSheetSize> sizes{};        // only for the large workbook
    };
    const Case cases[] = {
        {"two sheets, hidden goods left out",
         6,
         2,
         {2, 6},
         {"商品", "商品 2"},
         {{"A2", "商品1"},
          {"A3", "商品3"},
          {"A4", ""},
          {"商品 2!A1", "名称"},
          {"商品 2!A2", "商品4"},
          {"商品 2!A3", "商品5"},
          {"商品 2!A4", ""}},
         {{"E3", link("3")}, {"商品 2!E3", link("5")}}},
        // The whole of Excel's links in the first sheet, two rows past them,
        // and links again in the next.
        {"past the links of a sheet", 65533, 65532, {}, {}, {}, {}, {{65533, 65530}, {2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GoodsList goods(static_cast<std::size_t>(c.goods));
        for (int i = 0; i < c.goods; ++i) {
            goods[static_cast<std::size_t>(i)].goodsId = std::to_string(i + 1);
            goods[static_cast<std::size_t>(i)].name = "商品" + std::to_string(i + 1);
            goods[static_cast<std::size_t>(i)].price = i + 1;
        }
        for (const int hidden : c.hidden)
            goods[static_cast<std::size_t>(hidden - 1)].passesFilter = 0;
        XlsxOptions options;
        options.linkOf = link;
        options.rowsPerSheet = c.rowsPerSheet;
        TempDir dir;
        Result<std::string> bytes = Failure{"not written"};
        {
            StderrCapture capture(dir.file("stderr"));
            bytes = xlsxWorkbookBytes(goods, options);
        }
        ASSERT_TRUE(bytes.ok()) << bytes.error();
        EXPECT_EQ(readFileBytes(dir.file("stderr")), "") << "the library warned";
        writeFileBytes(dir.file("goods.xlsx"), *bytes);
        if (!c.sizes.empty()) {
            EXPECT_EQ(readXlsxSizes(dir.file("goods.xlsx")), c.sizes);
            continue;
        }
        const XlsxBook book = readXlsx(dir.file("goods.xlsx"));
        ASSERT_EQ(book.failure, "");
        EXPECT_EQ(book.sheets, c.sheets);
        for (const auto& [cell, value] : c.values)
            EXPECT_EQ(book.cells.count(cell) ? book.cells.at(cell).value : "", value) << cell;
        for (const auto& [cell, target] : c.links)
            EXPECT_EQ(book.cells.count(cell) ? book.cells.at(cell).link : "", target) << cell;
    }
}

} // namespace
} // namespace zorvane::test
