// zorvane-cli watch: a walk with its notice on a private session bus, and the
// job file and systemd units of a watch, run as child processes. No test
// reaches the user's own bus, service manager or configuration.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/watch_jobs.h"
#include "history/coupon_key.h"
#include "history/history_store.h"
#include "tests/cli/cli_process.h"
#include "tests/cli/notification_bus.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/env_var.h"

namespace zorvane::test {
namespace {

class CliWatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.file("run"));
        shop = std::make_unique<FixtureShop>();
        ASSERT_TRUE(shop->start());
    }

    // The coupon's earlier walk, with the goods at these prices.
    void storeEarlierWalk(const std::vector<std::pair<std::string, double>>& goods) const
    {
        HistoryStore store;
        ASSERT_TRUE(store.open(db).status.ok());
        std::int64_t walkId = 0;
        ASSERT_TRUE(store.beginWalk(shop->firstPageUrl(), 1000, walkId).ok());
        int position = 0;
        for (const auto& [id, price] : goods)
            ASSERT_TRUE(store.addSighting(walkId, {1, ++position, id, "旧名", price, "", {}}).ok());
        ASSERT_TRUE(store.endWalk(walkId, 2000, "finished").ok());
    }

    std::vector<std::string> watchRunArgs(std::vector<std::string> extra = {}) const
    {
        std::vector<std::string> args = {
            "watch", "run", "-i", "0", "--cacert", TestServer::caFile(), "--search-host", shop->searchHost(),
            "--db",  db};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(shop->firstPageUrl());
        return args;
    }
    CliRun watchRun(std::vector<std::string> extra) const { return runCli(watchRunArgs(std::move(extra))); }

    TempDir dir;
    const std::string db = dir.file("goods.sqlite");
    std::unique_ptr<FixtureShop> shop;
    // Never the user's own: configuration, service manager and bus.
    EnvVar config{"XDG_CONFIG_HOME", dir.file("config")};
    EnvVar runtime{"XDG_RUNTIME_DIR", dir.file("run")};
    EnvVar home{"HOME", dir.path().string()};
    EnvVar sessionBus{"DBUS_SESSION_BUS_ADDRESS", std::nullopt};
};

const std::string kChanged = "1001\t测试商品 1-1\t11.50\t降¥0.50\n"
                             "2001\t测试商品 2-1\t21.50\t降¥3.50\n"
                             "2002\t测试商品 2-2\t22.50\t涨¥2.50\n"
                             "3001\t测试商品 3-1\t31.50\t新\n"
                             "3002\t测试商品 3-2\t32.50\t新\n";
const std::vector<std::pair<std::string, double>> kEarlier = {
    {"1001", 12.00}, {"1002", 12.50}, {"2001", 25.00}, {"2002", 20.00}};

TEST_F(CliWatch, RunPrintsTheChangesAndSendsOneNoticeWhenGoodsGotCheaperOrAreNew)
{
    struct Case
    {
        const char* name;
        std::optional<std::vector<std::pair<std::string, double>>> earlier; // none: the first walk
        std::vector<std::string> args;
        std::string changed;
        std::optional<ReceivedNotice> notice;
        std::string firstName = "测试商品 1-1";  // as page 1 writes its first goods item's name
        std::vector<std::string> capabilities{}; // the notification service's
        std::optional<CouponTerms> terms{};      // as the 凑单 recorded them
    };
    const std::string coupon = "优惠券 " + cli::watchKey(shop->firstPageUrl()) + "：";
    std::string longName = "超长";
    for (int i = 0; i < 20; ++i)
        longName += "名字";
    std::vector<Case> cases = {
        {"first walk", std::nullopt, {}, "", std::nullopt},
        {"drops and new goods",
         kEarlier,
         {},
         kChanged,
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", coupon + "2件降价，2件新品",
                        "测试商品 2-1 ¥25.00→¥21.50\n测试商品 1-1 ¥12.00→¥11.50\n测试商品 3-1 ¥31.50\n"
                        "测试商品 3-2 ¥32.50"}},
        {"large drops only",
         kEarlier,
         {"--min-drop", "1", "--no-new"},
         kChanged,
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", coupon + "1件降价", "测试商品 2-1 ¥25.00→¥21.50"}},
        {"a rise alone",
         {{{"1001", 11.50},
           {"1002", 12.50},
           {"2001", 21.50},
           {"2002", 20.00},
           {"3001", 31.50},
           {"3002", 32.50}}},
         {},
         "2002\t测试商品 2-2\t22.50\t涨¥2.50\n",
         std::nullopt},
        {"more than the body shows",
         {{{"9", 1.00}}},
         {},
         "1001\t测试商品 1-1\t11.50\t新\n1002\t测试商品 1-2\t12.50\t新\n2001\t测试商品 2-1\t21.50\t新\n"
         "2002\t测试商品 2-2\t22.50\t新\n3001\t测试商品 3-1\t31.50\t新\n3002\t测试商品 3-2\t32.50\t新\n",
         ReceivedNotice{
             "Zorvane", "org.zorvane.Zorvane", coupon + "6件新品",
             "测试商品 1-1 ¥11.50\n测试商品 1-2 ¥12.50\n测试商品 2-1 ¥21.50\n测试商品 2-2 ¥22.50\n…还有2件"}},
    };
    std::string cut = "超长";
    for (int i = 0; i < 14; ++i)
        cut += "名字";
    cut.replace(cut.size() - std::string("字").size(), std::string::npos, "…");
    const std::vector<std::pair<std::string, double>> oneDrop = {
        {"1001", 12.00}, {"1002", 12.50}, {"2001", 21.50}, {"2002", 22.50}, {"3001", 31.50}, {"3002", 32.50}};
    cases.push_back(
        {"a long name cut to 30 characters",
         oneDrop,
         {},
         "1001\t" + longName + "\t11.50\t降¥0.50\n",
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", coupon + "1件降价", cut + " ¥12.00→¥11.50"},
         longName});
    cases.push_back(
        {"markup escaped for a service that reads it, and the terms named",
         oneDrop,
         {},
         "1001\tA&amp;B &lt;i&gt;x\t11.50\t降¥0.50\n",
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane",
                        "优惠券 " + cli::watchKey(shop->firstPageUrl()) + "（满299.50减50）：1件降价",
                        "A&amp;B &lt;i&gt;x ¥12.00→¥11.50"},
         "A&amp;B &lt;i&gt;x",
         {"body", "body-markup"},
         CouponTerms{29950, 5000}});
    cases.push_back(
        {"markup as text for a service that shows text",
         oneDrop,
         {},
         "1001\tA&amp;B &lt;i&gt;x\t11.50\t降¥0.50\n",
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", coupon + "1件降价", "A&B <i>x ¥12.00→¥11.50"},
         "A&amp;B &lt;i&gt;x",
         {"body"}});
    for (const Case& c : cases) {
        std::filesystem::remove(db);
        std::string page = shop->pageText(1);
        page.replace(page.find("测试商品 1-1"), std::string("测试商品 1-1").size(), c.firstName);
        shop->setRawPage(1, 200, page);
        if (c.earlier)
            storeEarlierWalk(*c.earlier);
        if (c.terms) {
            HistoryStore store;
            ASSERT_TRUE(store.open(db).status.ok());
            ASSERT_TRUE(store.setCouponTerms(couponKey(shop->firstPageUrl()), *c.terms).ok());
        }
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.serveNotifications(c.capabilities)) << bus.address();
        const EnvVar address("DBUS_SESSION_BUS_ADDRESS", bus.address());
        const CliRun run = watchRun(c.args);
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.changed) << c.name;
        EXPECT_EQ(run.err.find("无法发送桌面通知"), std::string::npos) << c.name << ": " << run.err;
        const std::vector<ReceivedNotice> notices = bus.notices();
        EXPECT_EQ(notices, c.notice ? std::vector<ReceivedNotice>{*c.notice} : std::vector<ReceivedNotice>{})
            << c.name;
    }
}

// A socket that takes connections (into its backlog) and never says a word.
class SilentSocket final
{
public:
    explicit SilentSocket(const std::string& path) : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 16) != 0)
            ADD_FAILURE() << "no socket at " << path;
    }
    ~SilentSocket() { ::close(m_fd); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

private:
    int m_fd;
};

TEST_F(CliWatch, WithoutABusOrANotificationServiceTheWalkStandsAndOneLineSaysSo)
{
    PrivateSessionBus serviceless;
    ASSERT_FALSE(serviceless.address().empty());
    const SilentSocket silent(dir.file("silent-bus"));
    for (const std::optional<std::string>& address :
         {std::optional<std::string>(), std::optional(serviceless.address()),
          std::optional("unix:path=" + dir.file("silent-bus"))}) {
        SCOPED_TRACE(address.value_or("no bus"));
        std::filesystem::remove(db);
        storeEarlierWalk(kEarlier);
        const EnvVar bus("DBUS_SESSION_BUS_ADDRESS", address);
        const auto started = std::chrono::steady_clock::now();
        const CliRun run = watchRun({});
        // Connecting and calling share 10 s; the walk takes well under a second.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, kChanged);
        int told = 0;
        for (const std::string& line : linesOf(run.err))
            told += line.starts_with("无法发送桌面通知：") &&
                    line.size() > std::string("无法发送桌面通知：").size();
        EXPECT_EQ(told, 1) << run.err;
        // The rest of standard error is the walk's log.
        EXPECT_NE(run.err.find("搜索完毕"), std::string::npos) << run.err;
    }
}

// The keys of the watch files the configuration folder holds, and their modes.
std::vector<std::pair<std::string, unsigned>> watchFiles(const std::string& configHome)
{
    std::vector<std::pair<std::string, unsigned>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(configHome))
        if (entry.is_regular_file()) {
            struct stat info
            {
            };
            ::stat(entry.path().c_str(), &info);
            files.emplace_back(std::filesystem::relative(entry.path(), configHome).string(),
                               info.st_mode & 0777U);
        }
    std::sort(files.begin(), files.end());
    return files;
}

TEST_F(CliWatch, AddTakesPeriodsOfTenMinutesAndMore)
{
    const std::vector<std::pair<std::string, int>> periods = {{"5min", 2},  {"9min 59s", 2}, {"often", 2},
                                                              {"10min", 0}, {"1h 30min", 0}, {"1d", 0}};
    for (const auto& [every, status] : periods) {
        const CliRun run = runCli({"watch", "add", "--every", every, shop->firstPageUrl()});
        EXPECT_EQ(run.status, status) << every << ": " << run.err;
        EXPECT_EQ(std::filesystem::exists(dir.file("config")), status == 0) << every;
        std::filesystem::remove_all(dir.file("config"));
    }
}

TEST_F(CliWatch, AddWritesAPrivateJobAndUnitsThatVerifyThenListAndRemoveThem)
{
    const CliRun add = runCli({"watch", "add", "--cookie", "shopsid=secret7", "-H", "X-Token: secret8",
                               "--db", db, "--min-drop", "2", shop->firstPageUrl()});
    ASSERT_EQ(add.status, 0) << add.err;
    const std::vector<std::string> enable = linesOf(add.out);
    ASSERT_EQ(enable.size(), 1u) << add.out;
    const std::string key = enable[0].substr(enable[0].rfind("zorvane-watch-") + 14, 12);
    EXPECT_EQ(enable[0], "systemctl --user enable --now zorvane-watch-" + key + ".timer");
    const std::string units = dir.file("config") + "/systemd/user/zorvane-watch-" + key;
    const std::vector<std::pair<std::string, unsigned>> expected = {
        {"systemd/user/zorvane-watch-" + key + ".service", 0644U},
        {"systemd/user/zorvane-watch-" + key + ".timer", 0644U},
        {"zorvane/watch/" + key + ".json", 0600U}};
    EXPECT_EQ(watchFiles(dir.file("config")), expected);
    for (const char* type : {".service", ".timer"}) {
        const std::string text = readFileBytes(units + type);
        EXPECT_EQ(text.find("secret"), std::string::npos) << text;
    }
    EXPECT_NE(readFileBytes(dir.file("config") + "/zorvane/watch/" + key + ".json").find("shopsid=secret7"),
              std::string::npos);

    // The manual pages are not installed in the build tree: their check is left out.
    const std::string verify = "systemd-analyze verify --man=no '" + units + ".timer' '" + units +
                               ".service' 2>" + dir.file("verify.txt");
    EXPECT_EQ(std::system(verify.c_str()), 0) << readFileBytes(dir.file("verify.txt"));
    EXPECT_EQ(readFileBytes(dir.file("verify.txt")), "");

    ASSERT_EQ(runCli(watchRunArgs()).status, 0);
    const CliRun list = runCli({"watch", "list"});
    EXPECT_EQ(list.status, 0) << list.err;
    const std::vector<std::string> watches = linesOf(list.out);
    ASSERT_EQ(watches.size(), 1u) << list.out;
    EXPECT_TRUE(watches[0].starts_with(key + "\t6h\t" + shop->firstPageUrl() + "\t20")) << watches[0];

    const CliRun remove = runCli({"watch", "remove", key});
    EXPECT_EQ(remove.status, 0) << remove.err;
    EXPECT_EQ(watchFiles(dir.file("config")), (std::vector<std::pair<std::string, unsigned>>{}));
    EXPECT_EQ(runCli({"watch", "remove", key}).status, 2);
}

// The key a watch add printed on standard output.
std::string addedKey(const CliRun& add)
{
    const std::size_t at = add.out.rfind("zorvane-watch-");
    return at == std::string::npos ? "" : add.out.substr(at + 14, 12);
}

TEST_F(CliWatch, AJobFileThatCannotBeUsedIsNamedWithItsFaultAndTheOthersStillListed)
{
    const CliRun add = runCli({"watch", "add", shop->firstPageUrl()});
    ASSERT_EQ(add.status, 0) << add.err;
    const std::string jobs = dir.file("config") + "/zorvane/watch/";
    const std::string good = jobs + addedKey(add) + ".json";
    const std::string bad = jobs + "0000000000aa.json";
    std::filesystem::copy_file(good, dir.file("elsewhere.json"));
    const std::string head = R"({"address":"https://s.jd.com/","every":"6h",)";
    const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    struct Case
    {
        const char* name;
        std::string text; // "link": a symbolic link to a good job; "folder": a folder
        std::string fault;
    };
    const std::vector<Case> cases = {
        {"every a number", R"({"address":"https://s.jd.com/","every":5,"args":[]})",
         "every is missing or of"},
        {"args numbers", head + R"("args":[1,2]})", "args[0] is missing or of"},
        {"address an object", R"({"address":{},"every":"6h","args":[]})", "address is missing or of"},
        {"args naming the job itself", head + R"("args":["--job","0000000000aa"]})", "args[0] names a job"},
        {"nested 100,000 deep", head + R"("args":)" + nested(100000) + "}", "larger than 64 KiB"},
        {"nested 30,000 deep", head + R"("args":)" + nested(30000) + "}", "args[0] is missing or of"},
        {"not JSON", head, "not JSON text"},
        {"a period that is none", R"({"address":"https://s.jd.com/","every":"often","args":[]})",
         "--every takes a time span"},
        {"an unknown option", head + R"("args":["--frobnicate","https://s.jd.com/"]})", "unknown option"},
        {"a symbolic link", "link", "symbolic link"},
        {"a folder", "folder", "not a regular file"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(bad);
        if (c.text == "link")
            std::filesystem::create_symlink(dir.file("elsewhere.json"), bad);
        else if (c.text == "folder")
            std::filesystem::create_directory(bad);
        else
            writeFileBytes(bad, c.text);
        ::chmod(bad.c_str(), 0600); // a link's target was made so by watch add
        const std::string told = "cannot use the job file " + bad + ": ";
        const CliRun list = runCli({"watch", "list"});
        EXPECT_EQ(list.status, 0) << c.name << ": " << list.err;
        EXPECT_EQ(linesOf(list.out).size(), 1u) << c.name << ": " << list.out;
        EXPECT_TRUE(list.out.starts_with(addedKey(add) + "\t")) << c.name << ": " << list.out;
        const CliRun run = runCli({"watch", "run", "--job", "0000000000aa"});
        EXPECT_EQ(run.status, 2) << c.name << ": " << run.err;
        for (const std::string& err : {list.err, run.err}) {
            EXPECT_EQ(linesOf(err).size(), 1u) << c.name << ": " << err;
            EXPECT_NE(err.find(told), std::string::npos) << c.name << ": " << err;
            EXPECT_NE(err.find(c.fault), std::string::npos) << c.name << ": " << err;
        }
    }
}

TEST_F(CliWatch, AddKeepsOneWatchACouponFromItsFirstPageAndRefusesWhatAJobCannotHold)
{
    const std::string page3 = shop->firstPageUrl() + "&page=5&s=116&click=0";
    const std::string cwd = std::filesystem::current_path().string();
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;                 // a piece of standard error
        std::vector<std::string> stored; // the job's args after the add; none: as before
    };
    const std::vector<Case> cases = {
        {"the first watch", {"--cookie", "a=1"}, 0, "", {"--cookie", "a=1", shop->firstPageUrl()}},
        {"a cookie not UTF-8", {"--cookie", "a=\xff"}, 2, "--cookie: the value is not UTF-8", {}},
        {"a header not UTF-8", {"-HX-A: \xfe"}, 2, "-H: the value is not UTF-8", {}},
        {"another page of the watched coupon", {"-p", "3"}, 2, "already watched as ", {}},
        {"replaced, paths made absolute",
         {"--replace", "--cookies", "c.txt", "--config=s.ini", "--cacert", "ca.pem"},
         0,
         "",
         {"--cookies", cwd + "/c.txt", "--config=" + cwd + "/s.ini", "--cacert", cwd + "/ca.pem",
          shop->firstPageUrl()}},
        {"firefox kept",
         {"--replace", "--cookies", "firefox"},
         0,
         "",
         {"--cookies", "firefox", shop->firstPageUrl()}},
    };
    std::string key;
    std::vector<std::string> stored;
    for (const Case& c : cases) {
        std::vector<std::string> args = {"watch", "add"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(&c == &cases.front() ? shop->firstPageUrl() : page3);
        const CliRun add = runCli(args);
        EXPECT_EQ(add.status, c.status) << c.name << ": " << add.err;
        EXPECT_NE(add.err.find(c.err), std::string::npos) << c.name << ": " << add.err;
        EXPECT_EQ(add.err.find("\xff"), std::string::npos) << c.name << ": the value is told";
        key = key.empty() ? addedKey(add) : key;
        if (!c.stored.empty())
            stored = c.stored;
        const nlohmann::json job =
            nlohmann::json::parse(readFileBytes(dir.file("config") + "/zorvane/watch/" + key + ".json"));
        EXPECT_EQ(job["address"], shop->firstPageUrl()) << c.name;
        EXPECT_EQ(job["args"], stored) << c.name;
    }
}

TEST_F(CliWatch, AJobFileIsNeverReachedThroughALinkNorLeftReadableByOthers)
{
    ASSERT_EQ(runCli({"watch", "add", "--cookie", "a=1", shop->firstPageUrl()}).status, 0);
    const std::vector<std::pair<std::string, unsigned>> files = watchFiles(dir.file("config"));
    const std::string job = dir.file("config") + "/" + files.back().first;
    const std::string warning = job + " could be read by other users";
    ::chmod(job.c_str(), 0644);
    const CliRun first = runCli({"watch", "list"});
    EXPECT_EQ(linesOf(first.err).size(), 1u) << first.err;
    EXPECT_NE(first.err.find(warning), std::string::npos) << first.err;
    EXPECT_EQ(watchFiles(dir.file("config")), files);
    EXPECT_EQ(runCli({"watch", "list"}).err, "");

    writeFileBytes(dir.file("target"), "kept");
    std::filesystem::remove(job);
    std::filesystem::create_symlink(dir.file("target"), job);
    const CliRun replace = runCli({"watch", "add", "--replace", "--cookie", "a=2", shop->firstPageUrl()});
    EXPECT_EQ(replace.status, 0) << replace.err;
    EXPECT_EQ(readFileBytes(dir.file("target")), "kept");
    EXPECT_EQ(watchFiles(dir.file("config")), files);
}

// A shell word of any text.
std::string shellWord(const std::string& text)
{
    std::string word = "'";
    for (const char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

TEST_F(CliWatch, AProgramPathSystemdRefusesIsToldNotWrittenIntoTheUnit)
{
    const std::vector<std::pair<std::string, int>> folders = {
        {"with space, 100% 中文", 0}, {"quote\"d", 1}, {"back\\slash", 1}, {"it's", 1}};
    for (const auto& [folder, status] : folders) {
        std::filesystem::remove_all(dir.file("config"));
        const std::string program = dir.file(folder) + "/zorvane-cli";
        std::filesystem::create_directories(dir.file(folder));
        std::filesystem::copy_file(ZORVANE_CLI, program);
        const std::string err = dir.file("err.txt");
        const int ran = std::system((shellWord(program) + " watch add " + shellWord(shop->firstPageUrl()) +
                                     " >/dev/null 2>" + shellWord(err))
                                        .c_str());
        EXPECT_EQ(WEXITSTATUS(ran), status) << folder << ": " << readFileBytes(err);
        if (status != 0) {
            EXPECT_NE(readFileBytes(err).find(program), std::string::npos) << readFileBytes(err);
            EXPECT_FALSE(std::filesystem::exists(dir.file("config"))) << folder;
            continue;
        }
        const std::string units = dir.file("config") + "/systemd/user/";
        const std::string verify =
            "systemd-analyze verify --man=no " + units + "*.service " + units + "*.timer 2>" + shellWord(err);
        EXPECT_EQ(std::system(verify.c_str()), 0) << folder << ": " << readFileBytes(err);
    }
}

TEST_F(CliWatch, AnOverlappingWalkOfTheCouponNeitherHidesTheChangesNorRunsTheSameJobTwice)
{
    struct Case
    {
        const char* name;
        bool sameJob;   // the other is a second check of the same job, else a search of the coupon
        int otherPages; // the pages the shop serves the other run
    };
    const Case cases[] = {{"a search of the coupon begun meanwhile", false, 3},
                          {"the same job's timer come round again", true, 0}};
    FixtureShopOptions slow;
    slow.delay = std::chrono::milliseconds(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop = std::make_unique<FixtureShop>(slow);
        ASSERT_TRUE(shop->start());
        std::filesystem::remove(db);
        std::filesystem::remove_all(dir.file("config"));
        storeEarlierWalk(kEarlier);
        std::vector<std::string> add = watchRunArgs();
        add[1] = "add";
        const CliRun added = runCli(add);
        ASSERT_EQ(added.status, 0) << added.err;
        const std::string enable = linesOf(added.out).at(0);
        const std::string job = enable.substr(enable.rfind("zorvane-watch-") + 14, 12);

        CliProcess check({"watch", "run", "--job", job});
        ASSERT_TRUE(shop->waitForRequests(1, std::chrono::seconds(15)));
        std::vector<std::string> other = {"watch", "run", "--job", job};
        if (!c.sameJob) {
            other = watchRunArgs({"-o", dir.file("other.tsv")});
            other[0] = "search", other.erase(other.begin() + 1);
        }
        const CliRun second = runCli(other);
        const CliRun first = check.wait();
        EXPECT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(first.out, kChanged);
        EXPECT_EQ(second.status, 0) << second.err;
        EXPECT_EQ(second.out, "");
        EXPECT_EQ(shop->requests().size(), 3u + static_cast<unsigned>(c.otherPages));
        if (c.sameJob) {
            EXPECT_EQ(linesOf(second.err),
                      std::vector<std::string>{"zorvane-cli: watch " + job +
                                               " is being checked by another run; this one ends"});
        }
    }
}

TEST_F(CliWatch, OptionsOnStandardInputStayOffTheCommandLine)
{
    struct Case
    {
        const char* name;
        std::string input;
        bool add; // watch add, else search
        int status;
        std::string errPart;
    };
    const std::vector<Case> cases = {
        {"search", "--cookie=sid=secret5\r\n\n-H=X-Token: secret6\n", false, 0, ""},
        {"watch add", "--cookie=sid=secret5\n--header=X-Token: secret6\n", true, 0, ""},
        {"a line that is no option", "--cookie=sid=secret5\nX-Token: secret6\n", false, 2,
         "--options-stdin: line 2 is no option"},
        {"options from standard input within", "--options-stdin\n", false, 2, "--options-stdin: line 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shop = std::make_unique<FixtureShop>();
        ASSERT_TRUE(shop->start());
        std::filesystem::remove_all(dir.file("config"));
        writeFileBytes(dir.file("options.txt"), c.input);
        std::vector<std::string> args = watchRunArgs({"--options-stdin", "-q"});
        if (c.add)
            args[1] = "add";
        else
            args.erase(args.begin()), args[0] = "search";
        const CliRun run = runCli(args, dir.file("options.txt"));
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("secret"), std::string::npos) << run.err;
        std::string sent;
        if (c.add) {
            ASSERT_EQ(watchFiles(dir.file("config")).size(), 3u);
            sent = readFileBytes(dir.file("config") + "/zorvane/watch/" +
                                 watchFiles(dir.file("config")).back().first.substr(14));
        } else if (!shop->requests().empty()) {
            sent = shop->requests()[0].header("Cookie").value_or("") + "|" +
                   shop->requests()[0].header("X-Token").value_or("");
        }
        EXPECT_EQ(sent.find("secret5") != std::string::npos && sent.find("secret6") != std::string::npos,
                  c.status == 0)
            << sent;
    }
}

} // namespace
} // namespace zorvane::test
