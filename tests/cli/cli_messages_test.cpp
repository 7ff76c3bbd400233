// zorvane-cli's own messages in the user's language, and the history readers
// leaving no file behind; run as child processes.
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "web/http_request.h"

namespace zorvane::test {
namespace {

namespace fs = std::filesystem;

// The last line zorvane-cli wrote on standard error.
std::string lastLine(const std::string& err)
{
    const std::vector<std::string> lines = linesOf(err);
    return lines.empty() ? "" : lines.back();
}

TEST(CliMessages, FollowTheLocaleWhileTheLogStaysChinese)
{
    httpGlobalInit();
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    shop.setPage(2, ShopPage::NoGoods);
    TempDir dir;
    const std::string csv = dir.file("goods.csv");
    const std::vector<std::string> paused = {
        "search",          "-i",           "0",  "--cacert", TestServer::caFile(), "--search-host",
        shop.searchHost(), "--no-history", "-o", csv,        shop.firstPageUrl()};
    const std::string goOn =
        "; go on from: https://" + shop.searchHost() +
        "/Search?keyword=%E6%B5%8B%E8%AF%95&enc=utf-8&coupon_batch=fixture&page=2&s=61&click=0";
    const std::string goOnChinese = goOn.substr(goOn.find("https://"));
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string english;
        std::string chinese;
    };
    const Case cases[] = {
        {{"crawl"}, 2, "unknown command: crawl", "未知命令：crawl"},
        {{"search", "-o", csv, "--pages=-1", shop.firstPageUrl()},
         2,
         "--pages: the page limit cannot be negative",
         "--pages: 搜索页数不能为负数"},
        {{"search", "-o", csv, "-i", "-5", shop.firstPageUrl()},
         2,
         "--interval: the page interval cannot be negative",
         "--interval: 翻页间隔不能为负数"},
        {{"extract", "-q1", "x"}, 2, "-q takes no value", "-q 不带参数值"},
        {{"extract", dir.file("none.html")},
         1,
         "cannot read " + dir.file("none.html"),
         "无法读取 " + dir.file("none.html")},
        {{"search", "-o", dir.file("none/goods.csv"), shop.firstPageUrl()},
         1,
         "cannot write " + dir.file("none/goods.csv") + ": No such file or directory",
         "无法写入 " + dir.file("none/goods.csv") + "：没有那个文件或目录"},
        {paused, 3, "paused after 1 page" + goOn, "已搜索 1 页后暂停；从此处继续：" + goOnChinese},
    };
    const std::vector<std::vector<std::string>> english = {
        {}, {"LANG=C", "LANGUAGE=zh_CN"}, {"LC_ALL=en_US.UTF-8"}};
    const std::vector<std::vector<std::string>> chinese = {
        {"LC_ALL=zh_CN.UTF-8"}, {"LANG=zh_CN.UTF-8"}, {"LC_ALL=C.UTF-8", "LANGUAGE=zh_CN:en"}};
    for (const Case& c : cases) {
        for (bool inChinese : {false, true}) {
            for (const std::vector<std::string>& locale : inChinese ? chinese : english) {
                const std::string where = c.args.front() + " " + (locale.empty() ? "" : locale.front());
                const CliRun run = runCliInLocale(locale, c.args);
                EXPECT_EQ(run.status, c.status) << where << "\n" << run.err;
                EXPECT_EQ(lastLine(run.err), "zorvane-cli: " + (inChinese ? c.chinese : c.english)) << where;
                // The walk's log lines are the same in every language.
                if (c.status == 3) {
                    EXPECT_NE(run.err.find(" 已暂停\n"), std::string::npos) << where << "\n" << run.err;
                }
            }
        }
    }
}

TEST(CliMessages, HistoryReadersLeaveNoFileWhereThereIsNoHistory)
{
    TempDir dir;
    const std::string db = dir.file("goods.sqlite");
    const std::string address = "https://search.example/Search?coupon_batch=1";
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"history", "--db", db}, 0, ""},
        {{"history", "--db", db, "--format", "json"}, 0, ""},
        {{"changes", "--db", db, address}, 1, "zorvane-cli: no walk of " + address + " recorded yet\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args.front();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
        EXPECT_TRUE(fs::is_empty(dir.path())) << c.args.front();
    }
}

// Where the window and a search keep the history is found without making the
// folders and the copy that settingsFilePath makes on the way.
TEST(CliMessages, TheDefaultHistoryIsLookedUpWithoutMakingIt)
{
    TempDir dir;
    const std::string plain = dir.file("unpacked");
    const std::string installed = dir.file("usr/bin");
    const std::string xdg = dir.file("config");
    fs::create_directories(plain);
    fs::create_directories(installed);
    fs::create_directories(dir.file("usr/share/zorvane"));
    writeFileBytes(plain + "/setsoft.ini", "");
    struct Case
    {
        std::string exeDir;
        std::string made; // a folder there before the look-up, "" = none
        std::string found;
    };
    const Case cases[] = {
        {plain, "", ""},
        {installed, "", ""},
        {plain, plain + "/data", plain + "/data/setsoft.ini"},
        {installed, xdg + "/zorvane/data", xdg + "/zorvane/data/setsoft.ini"},
    };
    for (const Case& c : cases) {
        if (!c.made.empty())
            fs::create_directories(c.made);
        EXPECT_EQ(existingSettingsFilePath(c.exeDir, xdg.c_str(), nullptr), c.found) << c.exeDir;
        EXPECT_EQ(fs::exists(plain + "/data"), c.made == plain + "/data") << c.exeDir;
        EXPECT_EQ(fs::exists(xdg), !c.made.empty() && c.made.starts_with(xdg)) << c.exeDir;
        fs::remove_all(plain + "/data");
        fs::remove_all(xdg);
    }
}

} // namespace
} // namespace zorvane::test
