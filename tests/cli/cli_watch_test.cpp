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
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
        std::string firstName = "测试商品 1-1"; // as page 1 writes its first goods item's name
    };
    std::string longName = "超长";
    for (int i = 0; i < 20; ++i)
        longName += "名字";
    std::vector<Case> cases = {
        {"first walk", std::nullopt, {}, "", std::nullopt},
        {"drops and new goods",
         kEarlier,
         {},
         kChanged,
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", "2件降价，2件新品",
                        "测试商品 2-1 ¥25.00→¥21.50\n测试商品 1-1 ¥12.00→¥11.50\n测试商品 3-1 ¥31.50\n"
                        "测试商品 3-2 ¥32.50"}},
        {"large drops only",
         kEarlier,
         {"--min-drop", "1", "--no-new"},
         kChanged,
         ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", "1件降价", "测试商品 2-1 ¥25.00→¥21.50"}},
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
             "Zorvane", "org.zorvane.Zorvane", "6件新品",
             "测试商品 1-1 ¥11.50\n测试商品 1-2 ¥12.50\n测试商品 2-1 ¥21.50\n测试商品 2-2 ¥22.50\n…还有2件"}},
    };
    std::string cut = "超长";
    for (int i = 0; i < 14; ++i)
        cut += "名字";
    cases.push_back({"a long name cut to 30 characters",
                     {{{"1001", 12.00},
                       {"1002", 12.50},
                       {"2001", 21.50},
                       {"2002", 22.50},
                       {"3001", 31.50},
                       {"3002", 32.50}}},
                     {},
                     "1001\t" + longName + "\t11.50\t降¥0.50\n",
                     ReceivedNotice{"Zorvane", "org.zorvane.Zorvane", "1件降价", cut + " ¥12.00→¥11.50"},
                     longName});
    for (const Case& c : cases) {
        std::filesystem::remove(db);
        std::string page = shop->pageText(1);
        page.replace(page.find("测试商品 1-1"), std::string("测试商品 1-1").size(), c.firstName);
        shop->setRawPage(1, 200, page);
        if (c.earlier)
            storeEarlierWalk(*c.earlier);
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.serveNotifications()) << bus.address();
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

} // namespace
} // namespace zorvane::test
