#include "goods/csv_export.h"

#include <csignal>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "base/numbers.h"
#include "goods/filter.h"
#include "goods/sort.h"
#include "tests/goods/goods_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;
using zorvane::test::makeGoods;
namespace fs = std::filesystem;

namespace {

// "名称","商品ID","价格","商品标签" in GBK.
const std::string kHeader = "\"\xC3\xFB\xB3\xC6\",\"\xC9\xCC\xC6\xB7ID\",\"\xBC\xDB\xB8\xF1\","
                            "\"\xC9\xCC\xC6\xB7\xB1\xEA\xC7\xA9\"\r\n";

// "商品", the default goods name, quoted, in GBK.
const std::string kQuotedName = "\"\xC9\xCC\xC6\xB7\"";

std::string csvOf(const GoodsList& goods)
{
    std::ostringstream out;
    writeCsv(out, goods);
    return out.str();
}

std::vector<std::string> entriesOf(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(CsvFormat, QuoteDoublesEveryQuote)
{
    EXPECT_EQ(quoteCsvField(""), "\"\"");
    EXPECT_EQ(quoteCsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(quoteCsvField("\"x\"\"y"), "\"\"\"x\"\"\"\"y\"");
    EXPECT_EQ(quoteCsvField("line\r\nbreak"), "\"line\r\nbreak\"");
}

TEST(CsvFormat, EmptyStoreIsTheHeaderLineOnly)
{
    EXPECT_EQ(csvOf({}), kHeader);
}

TEST(CsvFormat, ExactBytesOfRecords)
{
    GoodsList goods = {
        makeGoods("100001", 100, {"满减", "券"}, "Say \"hi\", ok"),
        makeGoods("100002", 59.9, {},
                  "A\xF0\x9F\x98\x80"
                  "B"), // an emoji GBK lacks
        makeGoods("100003", 0.01, {"券"}, "商品"),
    };
    EXPECT_EQ(csvOf(goods), kHeader +
                                "\"Say \"\"hi\"\", ok\",\"100001\",\"100\",\"\xC2\xFA\xBC\xF5,\xC8\xAF\"\r\n"
                                "\"A?B\",\"100002\",\"59.9\",\"\"\r\n"
                                "\"\xC9\xCC\xC6\xB7\",\"100003\",\"0.01\",\"\xC8\xAF\"\r\n");
}

TEST(CsvFormat, OnlyShownGoodsInListOrder)
{
    GoodsList goods = {makeGoods("a", 30), makeGoods("b", 10), makeGoods("c", 20), makeGoods("d", 5)};
    FilterCriteria criteria = makeFilterCriteria({}, "10", "");
    for (GoodsRecord& r : goods)
        r.passesFilter = goodsPassesFilter(r, criteria) ? 1 : 0;
    sortGoodsByPrice(goods, true);
    EXPECT_EQ(csvOf(goods), kHeader + kQuotedName + ",\"b\",\"10\",\"\"\r\n" + kQuotedName +
                                ",\"c\",\"20\",\"\"\r\n" + kQuotedName + ",\"a\",\"30\",\"\"\r\n");
}

TEST(CsvFormat, LargeStoreConvertsEveryBlock)
{
    GoodsList goods;
    std::string expected = kHeader;
    for (int i = 0; i < 5000; ++i) {
        goods.push_back(makeGoods(std::to_string(i), i / 100.0, {"券"}, "商品"));
        expected += kQuotedName + ",\"" + std::to_string(i) + "\",\"" + formatNumber(i / 100.0) +
                    "\",\"\xC8\xAF\"\r\n";
    }
    EXPECT_EQ(csvOf(goods), expected);
}

class CsvFile : public test::WorkerTest
{
protected:
    void exportTo(const std::string& path) { runExport(state, sink, path); }

    test::TempDir dir;
};

TEST_F(CsvFile, ExportWritesTheShownGoodsAndLogsSuccess)
{
    GoodsList goods = {makeGoods("1", 59.9), makeGoods("2", 100)};
    goods[1].passesFilter = 0;
    test::setStore(state, goods);
    const std::string path = dir.file("商品.csv");
    exportTo(path);
    EXPECT_EQ(test::readFileBytes(path), csvOf(goods));
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"已导出到\"" + path + "\""});
    EXPECT_EQ(sink.codes(),
              (std::vector<std::pair<int, long long>>{{kFeedbackExportEnded, 1}})); // 1: written
    EXPECT_TRUE(sink.locksFreeOnEverySend);
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"商品.csv"}); // no temporary file left
}

TEST_F(CsvFile, SecondExportLeavesNoTraceOfTheFirst)
{
    const std::string path = dir.file("out.csv");
    test::setStore(state, {makeGoods("1", 1), makeGoods("2", 2), makeGoods("3", 3)});
    exportTo(path);
    test::setStore(state, {makeGoods("9", 9)});
    exportTo(path);
    EXPECT_EQ(test::readFileBytes(path), kHeader + kQuotedName + ",\"9\",\"9\",\"\"\r\n");
}

TEST_F(CsvFile, MissingDirectoryIsAnOpenFailureAndCreatesNothing)
{
    const std::string path = dir.file("missing/out.csv");
    exportTo(path);
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"导出失败，打开\"" + path + "\"失败"});
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackExportEnded, 0}}));
    EXPECT_TRUE(entriesOf(dir.path()).empty());
}

TEST_F(CsvFile, DirectoryAsTargetIsAnOpenFailure)
{
    const std::string path = dir.file("taken");
    fs::create_directory(path);
    test::writeFileBytes(dir.file("taken/inside"), "keep");
    exportTo(path);
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"导出失败，打开\"" + path + "\"失败"});
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(test::readFileBytes(dir.file("taken/inside")), "keep");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"taken"});
}

TEST_F(CsvFile, WriteErrorOnADeviceIsReported)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const FileWriteResult full = exportCsvFile("/dev/full", {makeGoods("1", 1)}).write;
    EXPECT_EQ(full.status, FileWriteStatus::WriteFailed);
    EXPECT_FALSE(full.error.empty());
    exportTo("/dev/full");
    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"导出失败，写入\"/dev/full\"失败"});
    EXPECT_TRUE(exportCsvFile("/dev/null", {makeGoods("1", 1)}).write.ok());
}

TEST_F(CsvFile, FailedWriteKeepsThePreviousFile)
{
    const std::string path = dir.file("out.csv");
    test::writeFileBytes(path, "previous export");
    for (int i = 0; i < 2000; ++i)
        state.goods.append(makeGoods(std::to_string(i), i, {"券"}, "商品名称比较长的商品"));

    // A file size limit stops the write part-way even for root.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    exportTo(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(test::takeLogMessages(state), std::vector<std::string>{"导出失败，写入\"" + path + "\"失败"});
    EXPECT_EQ(test::readFileBytes(path), "previous export");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"out.csv"});
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackExportEnded, 0}}));
}

TEST_F(CsvFile, BothEncodingsWriteTheSameFieldsAndGbkCountsWhatItLacks)
{
    const std::string path = dir.file("out.csv");
    const std::string written = "已导出到\"" + path + "\"";
    const GoodsList plain = {makeGoods("1", 59.9, {"券"}, "商品 \"新\"")};
    const GoodsList foreign = {makeGoods("2", 100, {"한국"},
                                         "A\xF0\x9F\x98\x80"
                                         "B")}; // Hangul and an emoji
    const struct
    {
        const char* name;
        const GoodsList& goods;
        CsvEncoding encoding;
        std::string bytes;
        std::vector<std::string> log;
    } cases[] = {
        {"GBK",
         plain,
         CsvEncoding::Gbk,
         kHeader + "\"\xC9\xCC\xC6\xB7 \"\"\xD0\xC2\"\"\",\"1\",\"59.9\",\"\xC8\xAF\"\r\n",
         {written}},
        {"UTF-8",
         plain,
         CsvEncoding::Utf8,
         "\xEF\xBB\xBF\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r\n\"商品 "
         "\"\"新\"\"\",\"1\",\"59.9\",\"券\"\r\n",
         {written}},
        {"GBK lacking",
         foreign,
         CsvEncoding::Gbk,
         kHeader + "\"A?B\",\"2\",\"100\",\"??\"\r\n",
         {written, "3个字符GBK无法表示，已写成?；导出时选择UTF-8格式可保留"}},
        {"UTF-8 keeping",
         foreign,
         CsvEncoding::Utf8,
         "\xEF\xBB\xBF\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r\n\"A\xF0\x9F\x98\x80"
         "B\",\"2\",\"100\",\"한국\"\r\n",
         {written}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::setStore(state, c.goods);
        runExport(state, sink, path, c.encoding);
        EXPECT_EQ(test::readFileBytes(path), c.bytes);
        EXPECT_EQ(test::takeLogMessages(state), c.log);
        ASSERT_FALSE(sink.messages.empty());
        EXPECT_EQ(sink.messages.back().number, 1);
        EXPECT_EQ(sink.messages.back().text, std::nullopt);
    }
}

TEST_F(CsvFile, ReplacedFileKeepsItsPermissionsAndNewFileFollowsUmask)
{
    const std::string kept = dir.file("kept.csv");
    test::writeFileBytes(kept, "old");
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(exportCsvFile(kept, {}).write.ok());
    EXPECT_EQ(fs::status(kept).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    mode_t mask = ::umask(022);
    ASSERT_TRUE(exportCsvFile(dir.file("new.csv"), {}).write.ok());
    ::umask(mask);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(dir.file("new.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(CsvFile, SymbolicLinkTargetIsReplacedThroughTheLink)
{
    const std::string real = dir.file("real.csv");
    const std::string link = dir.file("link.csv");
    test::writeFileBytes(real, "old");
    fs::create_symlink(real, link);
    ASSERT_TRUE(exportCsvFile(link, {}).write.ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readFileBytes(real), kHeader);
}
