#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "base/gbk.h"
#include "history/history_store.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "ui/list_lock.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

const char* const kLockable[] = {"按钮_清空商品",          "按钮_筛选",           "按钮_导出",
                                 "编辑框_参数_地址",       "编辑框_参数_间隔",    "编辑框_参数_页数",
                                 "编辑框_参数_附加协议头", "编辑框_参数_COOKIE",  "编辑框_价格min",
                                 "编辑框_价格max",         "超级列表框_商品标签", "超级列表框_商品列表",
                                 "选择框_只看新品和降价"};
const char* const kOpenWhilePaused[] = {"超级列表框_商品列表", "超级列表框_商品标签",
                                        "编辑框_价格min",      "编辑框_价格max",
                                        "按钮_筛选",           "选择框_只看新品和降价"};

class RunControl : public WindowFixture
{
protected:
    void startShop(FixtureShopOptions options)
    {
        shop = std::make_unique<FixtureShop>(options);
        ASSERT_TRUE(shop->start());
        openWindow(shop->config());
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop->firstPageUrl()));
        control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("20"));
    }

    QPushButton* startButton() { return control<QPushButton>("按钮_控制_开始2暂停"); }
    QPushButton* stopButton() { return control<QPushButton>("按钮_控制_停止"); }

    // Checks the buttons and every lockable control against the state's row.
    void expectLook(const char* caption, bool startEnabled, bool stopEnabled, bool locked,
                    bool paused = false)
    {
        EXPECT_EQ(startButton()->text(), QString::fromUtf8(caption));
        EXPECT_EQ(startButton()->isEnabled(), startEnabled);
        EXPECT_EQ(stopButton()->isEnabled(), stopEnabled);
        for (const char* name : kLockable) {
            bool open = !locked;
            if (paused)
                open = std::find_if(std::begin(kOpenWhilePaused), std::end(kOpenWhilePaused),
                                    [&](const char* n) { return std::string(n) == name; }) !=
                       std::end(kOpenWhilePaused);
            // Locked lists stay enabled, so they can still be scrolled and read.
            QWidget* w = control<QWidget>(name);
            EXPECT_EQ(w->isEnabled() && !ui::isListLocked(w), open) << name;
        }
        EXPECT_TRUE(control<QWidget>("按钮_日志_清空")->isEnabled());
        EXPECT_TRUE(control<QWidget>("编辑框_日志")->isEnabled());
    }

    std::unique_ptr<FixtureShop> shop;
};

} // namespace

TEST_F(RunControl, StartPauseResumeStopWalkThroughEveryState)
{
    FixtureShopOptions options;
    options.pages = 6;
    options.delay = std::chrono::milliseconds(150);
    startShop(options);
    expectLook("开始", true, false, false); // Idle

    startButton()->click();
    expectLook("暂停", true, true, true); // Running
    ASSERT_TRUE(logShows("开始成功"));
    ASSERT_TRUE(waitUntil([&] { return shop->requests().size() >= 2; }));

    startButton()->click();
    expectLook("暂停", false, false, true); // Pausing: the page in hand is finished first
    ASSERT_TRUE(logShows("已暂停", 10000));
    expectLook("开始", true, true, true, true); // Paused
    const int donePaused = state->position.copy().pagesDone;
    EXPECT_GE(donePaused, 1);
    EXPECT_FALSE(state->position.copy().nextPageAddress.empty());

    startButton()->click(); // resumes at the position
    expectLook("暂停", true, true, true);
    ASSERT_TRUE(
        waitUntil([&] { return shop->requests().size() >= static_cast<std::size_t>(donePaused + 2); }));
    stopButton()->click();
    expectLook("暂停", false, false, true); // Stopping
    EXPECT_TRUE(logShows("正在停止。。。"));
    ASSERT_TRUE(waitUntil([&] { return startButton()->text() == QString::fromUtf8("开始"); }, 10000));
    expectLook("开始", true, false, false); // Idle again
    EXPECT_TRUE(state->position.copy().nextPageAddress.empty());
    EXPECT_GT(state->position.copy().pagesDone, donePaused);
    EXPECT_TRUE(logShows("已停止"));
}

TEST_F(RunControl, StopWhilePausedNeedsNoThreadAndAnEmptyAddressIsRefused)
{
    FixtureShopOptions options;
    options.pages = 4;
    options.delay = std::chrono::milliseconds(150);
    startShop(options);
    startButton()->click();
    ASSERT_TRUE(waitUntil([&] { return !shop->requests().empty(); }));
    startButton()->click();
    ASSERT_TRUE(logShows("已暂停", 10000));
    stopButton()->click();
    expectLook("开始", true, false, false);
    EXPECT_TRUE(state->position.copy().nextPageAddress.empty());

    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromUtf8(" \u3000 "));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    startButton()->click();
    EXPECT_TRUE(logShows("开始失败"));
    expectLook("开始", true, false, false);
    ASSERT_FALSE(ui::Dialogs::shownMessages().empty());
    EXPECT_EQ(ui::Dialogs::shownMessages().back().text, QString::fromUtf8("请输入可用商品地址"));
    EXPECT_EQ(ui::Dialogs::shownMessages().back().icon, QMessageBox::Warning);
}

TEST_F(RunControl, AWalkTheShopEndedIsNamedInTheStatusBarUntilTheNextStart)
{
    startShop({});
    HistoryStore store;
    ASSERT_TRUE(store.open((exeDir / "data" / "goods.sqlite").string()).status.ok());
    const struct
    {
        ShopPage page2;
        ui::StatusPanel::WalkState shown;
        const char* name;
        const char* recorded; // the end the history file keeps
    } cases[] = {
        {ShopPage::LoginRequired, ui::StatusPanel::WalkState::LoginRequired, "需要登录", "login-page"},
        {ShopPage::CouponExpired, ui::StatusPanel::WalkState::CouponExpired, "优惠券已过期",
         "coupon-expired"},
        {ShopPage::Normal, ui::StatusPanel::WalkState::Idle, "空闲", "finished"},
    };
    // Each walk starts afresh, without the goods of the one before.
    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("清空并开始"), true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shop->setPage(2, c.page2, 1);
        const qsizetype before = logBoxText().count(QString::fromUtf8("已停止"));
        startButton()->click();
        EXPECT_EQ(window->statusPanel()->walkState(), ui::StatusPanel::WalkState::Searching);
        ASSERT_TRUE(
            waitUntil([&] { return logBoxText().count(QString::fromUtf8("已停止")) > before; }, 10000));
        EXPECT_EQ(window->statusPanel()->walkState(), c.shown);
        EXPECT_TRUE(window->statusPanel()->text().startsWith(QString::fromUtf8(c.name)))
            << window->statusPanel()->text().toStdString();
        // The recorder's thread writes the end after the window logged it.
        std::vector<WalkSummary> walks;
        ASSERT_TRUE(waitUntil([&] {
            walks = store.listWalks().rows;
            return !walks.empty() && walks.back().endedMs;
        }));
        EXPECT_EQ(walks.back().endReason, c.recorded);
    }
}

// What stood around the address where it was copied comes along in a paste.
TEST_F(RunControl, APastedAddressIsTrimmedForTheRequest)
{
    FixtureShopOptions options;
    options.pages = 1;
    startShop(options);
    const std::string url = shop->firstPageUrl();
    const struct
    {
        const char* before;
        const char* after;
    } cases[] = {{"\r\n", "\t"}, {"\t", "\xC2\xA0"}, {"\xE3\x80\x80", "\n"}};
    auto* address = control<QLineEdit>("编辑框_参数_地址");
    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("清空并开始"), true); // the second walk on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before) + "|" + c.after);
        const std::size_t asked = shop->requests().size();
        QGuiApplication::clipboard()->setText(QString::fromStdString(c.before + url + c.after));
        address->clear();
        address->paste();
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // answers a refusal, were there one
        startButton()->click();
        // No refusal: at most the question about the earlier walk's goods.
        for (const auto& shown : ui::Dialogs::shownMessages())
            EXPECT_NE(shown.icon, QMessageBox::Warning) << shown.text.toStdString();
        ASSERT_TRUE(waitUntil(
            [&] { return shop->requests().size() > asked && state->walk.state() == RunState::Idle; }));
        EXPECT_EQ(state->position.copy().goodsAddress, url);
        EXPECT_EQ("https://" + shop->searchHost() + shop->requests().back().target, url);
    }
}

TEST_F(RunControl, WalkFilterSortTwiceAndExport)
{
    startShop({});
    startButton()->click();
    ASSERT_TRUE(logShows("搜索线程：搜索完毕", 15000));
    ASSERT_TRUE(waitUntil([&] { return startButton()->text() == QString::fromUtf8("开始"); }));
    ASSERT_EQ(state->goods.size(), 6u);
    ASSERT_TRUE(waitUntil([&] { return window->goodsModel()->rowCount() == 6; }));

    auto* tags = control<QTreeWidget>("超级列表框_商品标签");
    ASSERT_EQ(tags->topLevelItemCount(), 1);
    tags->topLevelItem(0)->setCheckState(0, Qt::Checked);
    control<QLineEdit>("编辑框_价格min")->setText(QStringLiteral("12"));
    control<QLineEdit>("编辑框_价格max")->setText(QString::fromUtf8("３１"));
    control<QPushButton>("按钮_筛选")->click();
    ASSERT_TRUE(logShows("总数量：6，符合要求商品的数量：3"));
    ASSERT_TRUE(logShows("筛选完毕"));

    window->onGoodsHeaderClicked(ui::GoodsTableModel::kPriceColumn);
    ASSERT_TRUE(waitUntil([&] { return !state->workers.running(Worker::Sort); }));
    window->onGoodsHeaderClicked(ui::GoodsTableModel::kPriceColumn);
    ASSERT_TRUE(waitUntil([&] { return !state->workers.running(Worker::Sort); }));
    ASSERT_TRUE(waitUntil([&] { return window->goodsModel()->rowCount() == 3; }));
    EXPECT_EQ(window->goodsModel()->rowAt(0)->priceText, "22.5"); // second sort: descending
    EXPECT_EQ(window->goodsModel()->rowAt(2)->priceText, "12.5");
    EXPECT_EQ(tags->topLevelItem(0)->checkState(0), Qt::Checked);

    const std::string path = (exeDir / "goods.csv").string();
    ui::Dialogs::scriptSaveAnswer(QString::fromStdString(path));
    control<QPushButton>("按钮_导出")->click();
    ASSERT_TRUE(logShows("导出完毕"));
    const std::string expected = utf8ToGbk("\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r\n"
                                           "\"测试商品 2-2\",\"2002\",\"22.5\",\"自营\"\r\n"
                                           "\"测试商品 2-1\",\"2001\",\"21.5\",\"自营\"\r\n"
                                           "\"测试商品 1-2\",\"1002\",\"12.5\",\"自营\"\r\n");
    EXPECT_EQ(readFileBytes(path), expected);
}

TEST_F(RunControl, ARefusedStartFocusesTheBoxItNames)
{
    QApplication::setActiveWindow(window.get());
    const struct
    {
        const char* box;
        const char* typed;
    } cases[] = {
        {"编辑框_参数_地址", ""},
        {"编辑框_参数_地址", "ftp://example.invalid/"},
        {"编辑框_参数_间隔", "-5"},
        {"编辑框_参数_页数", "-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + c.typed);
        control<QLineEdit>("编辑框_参数_地址")->setText(QStringLiteral("http://127.0.0.1:9/s"));
        control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("20"));
        control<QLineEdit>("编辑框_参数_页数")->setText(QStringLiteral("0"));
        control<QLineEdit>(c.box)->setText(QString::fromUtf8(c.typed));
        control<QPlainTextEdit>("编辑框_日志")->setFocus();
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
        startButton()->click();
        ASSERT_EQ(startButton()->text(), QString::fromUtf8("开始"));
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(c.box));
    }
}
