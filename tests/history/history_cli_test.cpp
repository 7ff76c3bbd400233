// zorvane-cli search recording its walks, and history and changes reading
// them, run as child processes against the fixture shop.
#include <csignal>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "history/history_store.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"

namespace zorvane::test {
namespace {

class HistoryCli : public ::testing::Test
{
protected:
    void openShop(FixtureShopOptions options = {})
    {
        shop = std::make_unique<FixtureShop>(options);
        ASSERT_TRUE(shop->start());
    }

    std::vector<std::string> searchArgs(std::vector<std::string> extra) const
    {
        std::vector<std::string> args = {
            "search", "--cacert", TestServer::caFile(), "--search-host", shop->searchHost(), "--db", db};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(shop->firstPageUrl());
        return args;
    }

    TempDir dir;
    const std::string db = dir.file("goods.sqlite");
    std::unique_ptr<FixtureShop> shop;
};

TEST_F(HistoryCli, ChangesShowWhatMovedSinceTheWalkBefore)
{
    openShop();
    ASSERT_EQ(runCli(searchArgs({"-i", "0"})).status, 0);
    shop->setRawPage(1, 200, withPrice(shop->pageText(1), "1002", "12.50", "13.25"));
    shop->setRawPage(2, 200, withPrice(shop->pageText(2), "2001", "21.50", "19.00"));
    shop->setRawPage(3, 200, withThirdItem(shop->pageText(3)));
    ASSERT_EQ(runCli(searchArgs({"-i", "0"})).status, 0);

    // Any page's address names the coupon.
    const CliRun changes = runCli({"changes", "--db", db, shop->firstPageUrl() + "&page=3&s=121&click=0"});
    EXPECT_EQ(changes.status, 0) << changes.err;
    EXPECT_EQ(changes.out, "1001\t测试商品 1-1\t11.50\t\n"
                           "1002\t测试商品 1-2\t13.25\t涨¥0.75\n"
                           "2001\t测试商品 2-1\t19.00\t降¥2.50\n"
                           "2002\t测试商品 2-2\t22.50\t\n"
                           "3001\t测试商品 3-1\t31.50\t\n"
                           "3002\t测试商品 3-2\t32.50\t\n"
                           "3003\t测试商品 3-3\t33.50\t新\n");
    const CliRun json = runCli({"changes", "--db", db, "--format", "json", shop->firstPageUrl()});
    const std::vector<std::string> lines = linesOf(json.out);
    ASSERT_EQ(lines.size(), 7u) << json.err;
    EXPECT_EQ(lines[2],
              R"({"by":2.5,"change":"cheaper","goodsId":"2001","lastPrice":21.5,"name":"测试商品 2-1",)"
              R"("page":2,"position":1,"price":19.0,"tags":["自营"]})");
    EXPECT_EQ(lines[6], R"({"by":0.0,"change":"new","goodsId":"3003","lastPrice":null,"name":"测试商品 3-3",)"
                        R"("page":3,"position":3,"price":33.5,"tags":["自营"]})");

    const CliRun history = runCli({"history", "--db", db});
    const std::vector<std::string> walks = linesOf(history.out);
    ASSERT_EQ(walks.size(), 2u) << history.err;
    const std::string key = shop->firstPageUrl();
    EXPECT_EQ(walks[0].substr(walks[0].find('\t', 2)), "\t" + key + "\t3\t6\tfinished");
    EXPECT_EQ(walks[1].substr(walks[1].find('\t', 2)), "\t" + key + "\t3\t7\tfinished");
}

TEST_F(HistoryCli, ChangesCompareTheLastWalkThatFoundGoods)
{
    openShop();
    ASSERT_EQ(runCli(searchArgs({"-i", "0", "-p", "1"})).status, 0);
    shop->setRawPage(1, 200, withPrice(shop->pageText(1), "1002", "12.50", "13.25"), 1);
    ASSERT_EQ(runCli(searchArgs({"-i", "0", "-p", "1"})).status, 0);
    const std::string compared = "1001\t测试商品 1-1\t11.50\t\n1002\t测试商品 1-2\t13.25\t涨¥0.75\n";

    // Walks 3 and 4 find no goods: each pauses itself on the first page.
    const struct
    {
        int emptyWalks;
        std::string note; // what standard error names, "" = nothing
    } cases[] = {{0, ""}, {1, "the last walk (3, "}, {1, "the last walk (4, "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        for (int i = 0; i < c.emptyWalks; ++i) {
            shop->setPage(1, ShopPage::NoGoods, 1);
            ASSERT_EQ(runCli(searchArgs({"-i", "0", "-p", "1"})).status, 3);
        }
        const CliRun changes = runCli({"changes", "--db", db, shop->firstPageUrl()});
        EXPECT_EQ(changes.status, 0);
        EXPECT_EQ(changes.out, compared);
        if (c.note.empty()) {
            EXPECT_EQ(changes.err, "");
        } else {
            EXPECT_TRUE(changes.err.starts_with("zorvane-cli: " + c.note)) << changes.err;
            EXPECT_NE(changes.err.find(") found no goods; comparing walk 2 ("), std::string::npos)
                << changes.err;
            EXPECT_EQ(linesOf(changes.err).size(), 1u) << changes.err;
        }
    }
}

TEST_F(HistoryCli, TheFileAloneHoldsEveryEndedWalk)
{
    openShop();
    // The window keeps the file open for the whole run: the walk must reach
    // the file at its end, not only when the last connection closes.
    for (bool heldOpen : {false, true}) {
        SCOPED_TRACE(heldOpen);
        const std::string path = dir.file(heldOpen ? "held.sqlite" : "alone.sqlite");
        HistoryStore holder;
        if (heldOpen) {
            ASSERT_TRUE(holder.open(path).status.ok());
        }
        std::vector<std::string> args = searchArgs({"-i", "0"});
        args[6] = path;
        ASSERT_EQ(runCli(args).status, 0);

        const std::string copy = path + ".copy";
        std::filesystem::copy_file(path, copy);
        HistoryStore store;
        ASSERT_TRUE(store.open(copy).status.ok());
        const std::vector<WalkSummary> walks = store.listWalks().rows;
        ASSERT_EQ(walks.size(), 1u);
        EXPECT_TRUE(walks.front().endedMs);
        EXPECT_EQ(walks.front().goodsCount, 6);
        if (!heldOpen) {
            EXPECT_EQ(readFileBytes(path + "-wal"), "") << "no log left behind";
        }
    }
}

TEST_F(HistoryCli, KilledMidWalkKeepsEveryPageStoredBeforeTheKill)
{
    FixtureShopOptions options;
    options.pages = 50;
    openShop(options);
    CliProcess process(searchArgs({"-i", "200"}));
    ASSERT_TRUE(process.started());
    // Killed once the file holds three pages, read beside the writing program.
    int pagesSeen = 0;
    while (pagesSeen < 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        HistoryStore reader;
        if (std::filesystem::exists(db) && reader.open(db).status.ok()) {
            const SqlRows<WalkSummary> walks = reader.listWalks();
            pagesSeen = walks.rows.empty() ? 0 : walks.rows.front().pages;
        }
    }
    process.sendSignal(SIGKILL);
    ASSERT_EQ(process.wait().status, -SIGKILL);

    HistoryStore store;
    ASSERT_TRUE(store.open(db).status.ok());
    const SqlRows<WalkSummary> walks = store.listWalks();
    ASSERT_EQ(walks.rows.size(), 1u);
    const WalkSummary& walk = walks.rows.front();
    EXPECT_FALSE(walk.endedMs);
    EXPECT_GE(walk.pages, pagesSeen);
    const std::vector<Sighting> goods = store.walkGoods(walk.id).rows;
    ASSERT_GE(goods.size(), 2u * static_cast<unsigned>(walk.pages));
    for (int page = 1; page <= walk.pages; ++page) {
        for (int item = 1; item <= 2; ++item) {
            const Sighting& seen = goods[static_cast<std::size_t>(2 * (page - 1) + item - 1)];
            EXPECT_EQ(seen, (Sighting{page,
                                      item,
                                      FixtureShop::goodsId(page, item),
                                      "测试商品 " + std::to_string(page) + "-" + std::to_string(item),
                                      FixtureShop::price(page, item),
                                      "自营",
                                      {"自营"}}));
        }
    }
}

TEST_F(HistoryCli, ADamagedOrUnusableFileNeverStopsTheWalk)
{
    openShop();
    const struct
    {
        std::string db;
        bool damaged;
        const char* notice;
    } cases[] = {
        {dir.file("goods.sqlite"), true, "历史记录文件已损坏，已移至"},
        {dir.file("missing/goods.sqlite"), false, "历史记录不可用：unable to open database file"},
    };
    const std::string garbage(4096, 'x');
    for (const auto& c : cases) {
        if (c.damaged)
            writeFileBytes(c.db, garbage);
        std::vector<std::string> args = searchArgs({"-i", "0", "-o", "-"});
        args[6] = c.db;
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(linesOf(run.out).size(), 7u);
        const std::size_t notice = run.err.find(c.notice);
        EXPECT_NE(notice, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("历史记录", notice + 1), std::string::npos) << run.err;
        if (!c.damaged)
            continue;
        std::vector<std::string> aside;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().filename().string().starts_with("goods.sqlite.bad-"))
                aside.push_back(readFileBytes(entry.path().string()));
        }
        EXPECT_EQ(aside, std::vector<std::string>{garbage});
        EXPECT_EQ(linesOf(runCli({"history", "--db", c.db}).out).size(), 1u);
    }
}

// Another program holds the file from the first page of a watch's walk until
// well past the walk's end: the walk is not in the file whole, so neither the
// watch nor changes compare it, though its first page's prices fell.
TEST_F(HistoryCli, AWalkNotInTheFileWholeIsNeverCompared)
{
    openShop();
    EnvVar sessionBus{"DBUS_SESSION_BUS_ADDRESS", std::nullopt};
    ASSERT_EQ(runCli(searchArgs({"-i", "0"})).status, 0);
    shop->setRawPage(2, 200, withPrice(shop->pageText(2), "2001", "21.50", "19.00"));
    ASSERT_EQ(runCli(searchArgs({"-i", "0"})).status, 0);
    shop->setRawPage(1, 200, withPrice(shop->pageText(1), "1001", "11.50", "9.50"));

    std::vector<std::string> watch = searchArgs({"-i", "500"});
    watch[0] = "run";
    watch.insert(watch.begin(), "watch");
    CliProcess process(watch);
    ASSERT_TRUE(process.started());
    for (int pages = 0; pages < 1;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        HistoryStore reader;
        if (reader.openForReading(db).ok()) {
            const std::vector<WalkSummary> walks = reader.listWalks().rows;
            pages = walks.size() == 3 ? walks.back().pages : 0;
        }
    }
    SqlDatabase holder;
    ASSERT_TRUE(holder.open(db).ok());
    ASSERT_TRUE(holder.exec("PRAGMA busy_timeout = 5000; BEGIN EXCLUSIVE").ok());
    const CliRun watched = process.wait();
    ASSERT_TRUE(holder.exec("COMMIT").ok());
    EXPECT_EQ(watched.status, 0) << watched.err;
    EXPECT_EQ(watched.out, "");
    EXPECT_NE(watched.err.find(
                  "zorvane-cli: walk 3 is not in the history whole; nothing compared, no notice sent\n"),
              std::string::npos)
        << watched.err;

    const CliRun changes = runCli({"changes", "--db", db, shop->firstPageUrl()});
    EXPECT_EQ(changes.status, 0);
    EXPECT_EQ(changes.out, "1001\t测试商品 1-1\t11.50\t\n"
                           "1002\t测试商品 1-2\t12.50\t\n"
                           "2001\t测试商品 2-1\t19.00\t降¥2.50\n"
                           "2002\t测试商品 2-2\t22.50\t\n"
                           "3001\t测试商品 3-1\t31.50\t\n"
                           "3002\t测试商品 3-2\t32.50\t\n");
    EXPECT_TRUE(changes.err.starts_with("zorvane-cli: the last walk (3, ")) << changes.err;
    EXPECT_NE(changes.err.find(") is not in the history whole; comparing walk 2 ("), std::string::npos)
        << changes.err;
}

// The file's names in the directory with their bytes.
std::map<std::string, std::string> filesIn(const std::filesystem::path& directory)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory))
        if (entry.is_regular_file())
            files[entry.path().string()] = readFileBytes(entry.path().string());
    return files;
}

// A command that only reads, given a file that is no history file, names it
// and leaves it and its folder byte for byte as they were.
TEST_F(HistoryCli, ReadingCommandsLeaveAFileThatIsNoHistoryAsItIs)
{
    EnvVar config{"XDG_CONFIG_HOME", dir.file("config")};
    const std::string address = "https://search.jd.com/Search?coupon_batch=4711";
    std::filesystem::create_directories(dir.file("config/zorvane/watch"));
    writeFileBytes(dir.file("config/zorvane/watch/a1.json"),
                   R"({"address":")" + address + R"(","every":"1h","args":[")" + address + R"("]})");
    const std::string notes = dir.file("data/notes.csv");
    std::filesystem::create_directories(dir.file("data"));
    const std::string other = dir.file("data/other.sqlite");
    {
        SqlDatabase foreign;
        ASSERT_TRUE(foreign.open(other).ok());
        ASSERT_TRUE(foreign.exec("CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('keep')").ok());
    }
    writeFileBytes(notes, "date,note\n2024-01-01,买牛奶\n");
    writeFileBytes(dir.file("data/empty"), "");
    for (const std::string& file : {notes, other, dir.file("data/empty")}) {
        const std::vector<std::vector<std::string>> commands = {
            {"history", "--db", file},
            {"changes", "--db", file, address},
            {"basket", "--threshold", "299", "--discount", "50", "--coupon", address, "--db", file},
            {"watch", "list", "--db", file},
        };
        for (const std::vector<std::string>& command : commands) {
            SCOPED_TRACE(file + " " + command[0]);
            const auto before = filesIn(dir.path());
            const CliRun run = runCli(command);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("zorvane-cli: " + file + " is not a history file\n"), std::string::npos)
                << run.err;
            EXPECT_EQ(filesIn(dir.path()), before);
        }
    }
}

// Two damaged files moved aside within the same second each keep their own
// name: none overwrites another (here, ones already there for the next seconds).
TEST_F(HistoryCli, MovingADamagedFileAsideNeverOverwritesAnother)
{
    openShop();
    std::set<std::string> kept;
    for (std::time_t second = std::time(nullptr); second < std::time(nullptr) + 10; ++second) {
        std::tm local{};
        localtime_r(&second, &local);
        char name[64];
        std::strftime(name, sizeof name, "goods.sqlite.bad-%Y%m%d-%H%M%S", &local);
        writeFileBytes(dir.file(name), name);
        kept.insert(name);
    }
    const std::string filler(4096, 'x');
    for (const char* garbage : {"first damaged file", "second damaged file"}) {
        writeFileBytes(db, filler + garbage);
        kept.insert(garbage);
        EXPECT_EQ(runCli(searchArgs({"-i", "0"})).status, 0);
    }
    std::set<std::string> aside;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string bytes = readFileBytes(entry.path().string());
        if (entry.path().filename().string().starts_with("goods.sqlite.bad-"))
            aside.insert(bytes.starts_with(filler) ? bytes.substr(filler.size()) : bytes);
    }
    EXPECT_EQ(aside, kept);
}

} // namespace
} // namespace zorvane::test
