// Watching a coupon from the 历史 menu: the address and the options in the
// window's boxes reach the watch's job file through zorvane-cli, and 管理关注
// lists and removes it. Configuration and service manager are the test's own.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>

#include "base/gbk.h"
#include "tests/search/fixture_shop.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"
#include "ui/dialogs.h"
#include "ui/watch_dialog.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

QAction* historyMenuAction(ui::MainWindow& window, const char* text)
{
    auto* menu = window.findChild<QMenu*>(QString::fromUtf8("菜单_历史"));
    if (!menu)
        return nullptr;
    emit menu->aboutToShow();
    for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8(text))
            return action;
    return nullptr;
}

std::filesystem::path onlyFileIn(const std::filesystem::path& folder)
{
    std::filesystem::path found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        found = found.empty() ? entry.path() : std::filesystem::path("(more than one)");
    return found;
}

} // namespace

TEST_F(WindowFixture, WatchThisCouponTakesTheBoxesAndTheChosenPeriodAndTheListRemovesIt)
{
    TempDir home;
    std::filesystem::create_directory(home.file("run"));
    // zorvane-cli as the window starts it, its command line kept as /proc shows it to every user.
    std::filesystem::create_directory(home.file("bin"));
    const std::string commandLines = home.file("cmdline");
    writeFileBytes(home.file("bin") + "/zorvane-cli", "#!/bin/sh\ncat /proc/$$/cmdline >> '" + commandLines +
                                                          "'\nexec '" ZORVANE_CLI "' \"$@\"\n");
    std::filesystem::permissions(home.file("bin") + "/zorvane-cli", std::filesystem::perms::owner_all);
    const EnvVar path("PATH", home.file("bin") + ":" + std::getenv("PATH"));
    const EnvVar config("XDG_CONFIG_HOME", home.file("config"));
    const EnvVar runtime("XDG_RUNTIME_DIR", home.file("run"));
    const EnvVar bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    openWindow();
    control<QLineEdit>("编辑框_参数_地址")
        ->setText(QStringLiteral("https://search.jd.com/Search?coupon_batch=77"));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("2500"));
    control<QLineEdit>("编辑框_参数_页数")->setText(QString());
    control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(QStringLiteral("sid=window9"));
    control<QPlainTextEdit>("编辑框_参数_附加协议头")->setPlainText(QStringLiteral("X-Token: header9"));

    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("每6小时"));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    ASSERT_TRUE(historyMenuAction(*window, "管理关注…"));
    QAction* watch = historyMenuAction(*window, "关注此优惠券…"); // the menu is filled anew each time
    ASSERT_TRUE(watch);
    watch->trigger();
    const std::filesystem::path jobs = home.file("config") + "/zorvane/watch";
    ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() == 2; },
                          15000)); // the question, the answer
    const std::string job = readFileBytes(onlyFileIn(jobs));
    for (const char* part :
         {"\"every\": \"6h\"", "\"2500\"", "\"--cookie=sid=window9\"", "X-Token: header9", "coupon_batch=77"})
        EXPECT_NE(job.find(part), std::string::npos) << part << " in " << job;
    const std::string seen = readFileBytes(commandLines);
    EXPECT_NE(seen.find(std::string("watch\0add", 9)), std::string::npos) << seen;
    for (const char* secret : {"window9", "header9"})
        EXPECT_EQ(seen.find(secret), std::string::npos) << secret << " in " << seen;
    // Nothing is scheduled without a user service manager: no success, but the command to run.
    const ui::Dialogs::Shown& answer = ui::Dialogs::shownMessages().back();
    EXPECT_EQ(answer.icon, QMessageBox::Warning);
    EXPECT_TRUE(answer.text.contains(QStringLiteral("systemctl --user enable --now")))
        << answer.text.toStdString();
    EXPECT_FALSE(answer.text.contains(QString::fromUtf8("已关注此优惠券"))) << answer.text.toStdString();

    // Watching the coupon again asks before the boxes' settings replace the watch.
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("3000"));
    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("每天"));
    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("替换"));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    historyMenuAction(*window, "关注此优惠券…")->trigger();
    ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() == 5; }, 15000));
    const std::string replaced = readFileBytes(onlyFileIn(jobs));
    for (const char* part : {"\"every\": \"1d\"", "\"3000\"", "\"--cookie=sid=window9\""})
        EXPECT_NE(replaced.find(part), std::string::npos) << part << " in " << replaced;

    ui::WatchDialog dialog(window.get());
    dialog.show();
    auto* list = dialog.findChild<QTreeWidget*>(QString::fromUtf8("列表_关注"));
    ASSERT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 1; }, 15000));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("1d"));
    dialog.findChild<QPushButton*>(QString::fromUtf8("按钮_删除关注"))->click();
    EXPECT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 0 && onlyFileIn(jobs).empty(); }, 15000));
}

TEST_F(WindowFixture, AWatchWalksWithTheWindowsConfigurationAndACheckNowTellsItsTrueResult)
{
    TempDir home;
    std::filesystem::create_directory(home.file("run"));
    const EnvVar path("PATH", std::string(ZORVANE_CLI_DIR) + ":" + std::getenv("PATH"));
    const EnvVar config("XDG_CONFIG_HOME", home.file("config"));
    const EnvVar runtime("XDG_RUNTIME_DIR", home.file("run"));
    const EnvVar bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    // The shop is reached only through the window's [配置]: its host, its CA and its login host.
    writeFileBytes(window->settingsPath(), utf8ToGbk("[配置]\r\n搜索主机=" + shop.searchHost() +
                                                     "\r\n证书文件=" + TestServer::caFile() +
                                                     "\r\n登录主机=passport.fixture.test\r\n"));
    openWindow();
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8("每天"));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    QAction* watch = historyMenuAction(*window, "关注此优惠券…");
    ASSERT_TRUE(watch);
    watch->trigger();
    ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() == 2; }, 15000));

    ui::WatchDialog dialog(window.get());
    dialog.show();
    auto* list = dialog.findChild<QTreeWidget*>(QString::fromUtf8("列表_关注"));
    auto* status = dialog.findChild<QLabel*>(QString::fromUtf8("标签_关注状态"));
    ASSERT_TRUE(status);
    ASSERT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 1; }, 15000));
    struct Case
    {
        ShopPage firstPage;
        QMessageBox::Icon icon;
        const char* says;
    };
    const Case cases[] = {{ShopPage::Normal, QMessageBox::Information, "没有变化"},
                          {ShopPage::LoginRequired, QMessageBox::Warning, "检查失败（退出状态 5）"}};
    auto* check = dialog.findChild<QPushButton*>(QString::fromUtf8("按钮_立即检查"));
    for (const Case& c : cases) {
        ASSERT_TRUE(waitUntil([&] { return check->isEnabled(); }, 15000)); // the list read again
        shop.setPage(1, c.firstPage);
        const std::size_t shown = ui::Dialogs::shownMessages().size();
        const std::size_t asked = shop.requests().size();
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
        check->click();
        EXPECT_TRUE(status->text().startsWith(QString::fromUtf8("正在检查"))) << status->text().toStdString();
        ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() == shown + 1; }, 30000))
            << c.says;
        const ui::Dialogs::Shown& answer = ui::Dialogs::shownMessages().back();
        EXPECT_EQ(answer.icon, c.icon) << answer.text.toStdString();
        EXPECT_TRUE(answer.text.startsWith(QString::fromUtf8(c.says))) << answer.text.toStdString();
        EXPECT_GT(shop.requests().size(), asked) << c.says;
    }
    dialog.close(); // while the list is read again: the window stands
}
