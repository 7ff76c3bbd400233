// One walk, two front ends: the window and zorvane-cli walk the same shop to
// the same end and record the same end reason in their history files.
#include <QLineEdit>
#include <QPushButton>

#include <csignal>

#include "base/gbk.h"
#include "history/history_store.h"
#include "tests/cli/cli_process.h"
#include "tests/search/fixture_shop.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

// What the user does once the shop has had two requests.
enum class UserAct
{
    None,
    Pause, // the window's start/pause button; zorvane-cli has no pause
    Stop,  // the window's stop button; Ctrl-C for zorvane-cli
};

struct EndCase
{
    const char* name;
    ShopPage secondPage; // what the shop shows as page 2
    int pageLimit;
    UserAct act;
    const char* recorded; // the walk's end reason in the history file
};

// A slow shop of many pages when the user ends the walk, else three quick pages.
std::unique_ptr<FixtureShop> openShop(const EndCase& c)
{
    FixtureShopOptions options;
    if (c.act != UserAct::None) {
        options.pages = 30;
        options.delay = std::chrono::milliseconds(100);
    }
    auto shop = std::make_unique<FixtureShop>(options);
    if (!shop->start())
        return nullptr;
    shop->setPage(2, c.secondPage);
    return shop;
}

std::string lastEndReason(const std::filesystem::path& file)
{
    HistoryStore store;
    if (!store.open(file.string()).status.ok())
        return "(no history file)";
    const std::vector<WalkSummary> walks = store.listWalks().rows;
    return walks.empty() ? "(no walk)" : walks.back().endReason;
}

} // namespace

TEST_F(WindowFixture, TheWindowAndTheCommandLineRecordTheSameEndReason)
{
    const EndCase cases[] = {
        {"runs out", ShopPage::Normal, 0, UserAct::None, "finished"},
        {"page limit", ShopPage::Normal, 2, UserAct::None, "page-limit"},
        {"coupon expired", ShopPage::CouponExpired, 0, UserAct::None, "coupon-expired"},
        {"login page", ShopPage::LoginRequired, 0, UserAct::None, "login-page"},
        {"page without goods", ShopPage::NoGoods, 0, UserAct::None, "paused-itself"},
        {"user pause", ShopPage::Normal, 0, UserAct::Pause, "paused"},
        {"user stop", ShopPage::Normal, 0, UserAct::Stop, "stopped"},
    };
    const std::filesystem::path config = exeDir / "cli.ini";
    writeFileBytes(config, utf8ToGbk("[配置]\r\n登录主机=passport.fixture.test\r\n"));
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<FixtureShop> shop = openShop(c);
        ASSERT_TRUE(shop);
        openWindow(shop->config());
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop->firstPageUrl()));
        control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
        control<QLineEdit>("编辑框_参数_页数")->setText(QString::number(c.pageLimit));
        control<QPushButton>("按钮_控制_开始2暂停")->click();
        if (c.act != UserAct::None) {
            ASSERT_TRUE(waitUntil([&] { return shop->requests().size() >= 2; }, 15000));
            control<QPushButton>(c.act == UserAct::Pause ? "按钮_控制_开始2暂停" : "按钮_控制_停止")->click();
        }
        ASSERT_TRUE(waitUntil([&] { return !state->walk.walking(); }, 15000));
        closeWindow(); // the history is all in its file once the window is gone
        EXPECT_EQ(lastEndReason(exeDir / "data" / "goods.sqlite"), c.recorded);

        if (c.act == UserAct::Pause)
            continue;
        shop = openShop(c);
        ASSERT_TRUE(shop);
        const std::filesystem::path cliHistory = exeDir / "cli.sqlite";
        CliProcess cli({"search", "-q", "-i", "0", "--pages", std::to_string(c.pageLimit), "--config",
                        config.string(), "--cacert", TestServer::caFile(), "--search-host",
                        shop->searchHost(), "--db", cliHistory.string(), "-o",
                        (exeDir / "goods.csv").string(), shop->firstPageUrl()});
        ASSERT_TRUE(cli.started());
        if (c.act == UserAct::Stop) {
            ASSERT_TRUE(shop->waitForRequests(2, std::chrono::seconds(15)));
            cli.sendSignal(SIGINT);
        }
        const CliRun run = cli.wait();
        EXPECT_EQ(lastEndReason(cliHistory), c.recorded) << run.err;
    }
}
