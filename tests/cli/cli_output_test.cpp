// The goods in each output format, read back by readers of their own, and
// GBK CSV kept off terminals.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/text.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/search/real_pages.h"

namespace zorvane::test {
namespace {

// A goods item as any reader gives it back.
struct Item
{
    std::string goodsId;
    std::string name;
    double price = 0;
    std::vector<std::string> tags;

    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << item.goodsId << " | " << item.name << " | " << item.price << " | " << item.tags.size();
}

std::vector<Item> readJsonLines(const std::string& text)
{
    std::vector<Item> items;
    for (const std::string& line : linesOf(text)) {
        const nlohmann::json object = nlohmann::json::parse(line);
        EXPECT_EQ(object.size(), 4u) << line;
        items.push_back({object.at("goodsId").get<std::string>(), object.at("name").get<std::string>(),
                         object.at("price").get<double>(),
                         object.at("tags").get<std::vector<std::string>>()});
    }
    return items;
}

std::string unescapeTsv(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char next = field[++i];
        if (next == 'x' && i + 2 < field.size()) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
            continue;
        }
        text += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return text;
}

// Every piece between separators, empty ones too.
std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (c == separator)
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

std::vector<Item> readTsvLines(const std::string& text)
{
    std::vector<Item> items;
    for (const std::string& line : linesOf(text)) {
        const std::vector<std::string> fields = splitAt(line, '\t');
        EXPECT_EQ(fields.size(), 4u) << line;
        if (fields.size() != 4)
            continue;
        const std::string tags = unescapeTsv(fields[3]);
        items.push_back({unescapeTsv(fields[0]), unescapeTsv(fields[1]), std::stod(fields[2]),
                         tags.empty() ? std::vector<std::string>{} : splitAt(tags, ',')});
    }
    return items;
}

// The control characters of the text but the line's tab and LF: none of
// them may reach a terminal from a goods line.
std::string terminalControls(const std::string& text)
{
    std::string found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F || c1)
            found += text.substr(i, c1 ? 2 : 1);
    }
    return found;
}

std::string realPagePath(const std::string& name)
{
    return std::string(ZORVANE_TEST_DATA) + "/realpages/" + name;
}

TEST(CliOutput, JsonLinesCarryTheSameGoodsAsTsvLines)
{
    TempDir dir;
    FixtureShop shop;
    // Quotes, backslashes, breaks and control characters inside a name.
    const std::string crafted = dir.file("crafted.html");
    writeFileBytes(crafted, replaceAll(shop.pageText(1), "<em>测试商品 1-1</em>",
                                       "<em>\"引号\" a\\b\tc\r\nd \x01\x1f\x1b[2J\x7f\xc2\x9b"
                                       "2J end</em>"));
    std::vector<std::string> pages = {crafted};
    for (const std::string& name : testing::realPageNames())
        pages.push_back(realPagePath(name));

    for (const std::string& page : pages) {
        const CliRun json = runCli({"extract", "--format", "json", page});
        const CliRun tsv = runCli({"extract", page});
        ASSERT_EQ(json.status, 0) << page << "\n" << json.err;
        std::vector<Item> items;
        ASSERT_NO_THROW(items = readJsonLines(json.out)) << page << "\n" << json.out;
        ASSERT_FALSE(items.empty()) << page;
        EXPECT_EQ(items, readTsvLines(tsv.out)) << page;
        EXPECT_EQ(terminalControls(json.out + tsv.out), "") << page;
    }
    const CliRun fromInput = runCli({"extract", "--format=json", "-"}, crafted);
    ASSERT_EQ(fromInput.status, 0) << fromInput.err;
    EXPECT_EQ(readJsonLines(fromInput.out).front(), (Item{"1001",
                                                          "\"引号\" a\\b\tc\r\nd \x01\x1f\x1b[2J\x7f\xc2\x9b"
                                                          "2J end",
                                                          11.5,
                                                          {"自营"}}));

    // Bytes that are no UTF-8 still make lines that parse.
    writeFileBytes(crafted, replaceAll(shop.pageText(1), "测试商品 1-1", "bad \xff\xfe bytes"));
    const CliRun invalid = runCli({"extract", "--format", "json", crafted});
    EXPECT_EQ(readJsonLines(invalid.out).front().name, "bad \xEF\xBF\xBD\xEF\xBF\xBD bytes");
}

TEST(CliOutput, GbkCsvIsRefusedOnATerminalOnly)
{
    const std::string page = realPagePath("2024-05-dom.html");
    const std::string refusal =
        "zorvane-cli: GBK CSV does not show on a terminal; use --format tsv, --encoding utf-8 or -o FILE\r\n";
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string outStart; // what the terminal shows first
    };
    const Case cases[] = {
        {{"search", "-o", "-", "http://127.0.0.1:1/Search?keyword=x"}, 2, refusal},
        {{"search", "--format", "csv", "--csv=-", "http://127.0.0.1:1/Search?keyword=x"}, 2, refusal},
        {{"extract", "--format", "csv", page}, 2, refusal},
        {{"extract", "--format", "csv", "--encoding", "utf-8", page}, 0, "\xEF\xBB\xBF\"名称\",\"商品ID\""},
        {{"extract", page}, 0, ""},
    };
    for (const Case& c : cases) {
        const CliRun run = runCliOnTerminal(c.args);
        EXPECT_EQ(run.status, c.status) << c.args.back() << "\n" << run.out;
        EXPECT_TRUE(startsWith(run.out, c.outStart)) << c.args.back() << "\n" << run.out;
        if (c.status == 2)
            EXPECT_EQ(run.out, refusal);
        else
            EXPECT_EQ(run.out.find("zorvane-cli:"), std::string::npos) << run.out;
    }
}

} // namespace
} // namespace zorvane::test
