// Watching a coupon from the 历史 menu: the address and the options in the
// window's boxes reach the watch's job file through zorvane-cli, and 管理关注
// lists and removes it. Configuration and service manager are the test's own.
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>

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
    const EnvVar path("PATH", std::string(ZORVANE_CLI_DIR) + ":" + std::getenv("PATH"));
    const EnvVar config("XDG_CONFIG_HOME", home.file("config"));
    const EnvVar runtime("XDG_RUNTIME_DIR", home.file("run"));
    const EnvVar bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    openWindow();
    control<QLineEdit>("编辑框_参数_地址")
        ->setText(QStringLiteral("https://search.jd.com/Search?coupon_batch=77"));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("2500"));
    control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(QStringLiteral("sid=window9"));

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
    for (const char* part : {"\"every\": \"6h\"", "\"2500\"", "\"sid=window9\"", "coupon_batch=77"})
        EXPECT_NE(job.find(part), std::string::npos) << part << " in " << job;
    EXPECT_TRUE(
        ui::Dialogs::shownMessages().back().text.contains(QStringLiteral("systemctl --user enable --now")))
        << ui::Dialogs::shownMessages().back().text.toStdString();

    ui::WatchDialog dialog(window.get());
    dialog.show();
    auto* list = dialog.findChild<QTreeWidget*>(QString::fromUtf8("列表_关注"));
    ASSERT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 1; }, 15000));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("6h"));
    dialog.findChild<QPushButton*>(QString::fromUtf8("按钮_删除关注"))->click();
    EXPECT_TRUE(waitUntil([&] { return list->topLevelItemCount() == 0 && onlyFileIn(jobs).empty(); }, 15000));
}
