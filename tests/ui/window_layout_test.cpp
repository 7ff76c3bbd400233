// The window as a desktop tool: its layout remembered, the close question,
// the bounded log.
#include "window_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>

#include "settings/ini_file.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, SizePlaceDivisionAndColumnsAreRememberedAcrossARestart)
{
    const QSize size = window->minimumSizeHint() + QSize(37, 23);
    window->resize(size);
    window->move(31, 17);
    QApplication::processEvents();
    auto* splitter = window->findChild<QSplitter*>();
    splitter->setSizes({splitter->sizes()[0] + splitter->sizes()[1] - 90, 90});
    const QList<int> parts = splitter->sizes();
    control<QTableView>("超级列表框_商品列表")->setColumnWidth(0, 333);
    closeWindow();

    IniFile ini = IniFile::load((exeDir / "data" / "setsoft.ini").string());
    ASSERT_TRUE(ini.value("窗口", "几何"));
    ASSERT_TRUE(ini.setValue("配置", "搜索主机", "127.0.0.1:9"));
    ASSERT_TRUE(ini.save((exeDir / "data" / "setsoft.ini").string()));

    openWindow({}, false);
    EXPECT_EQ(window->size(), size);
    // The offscreen platform may round the restored frame by a pixel (two at 200 %).
    EXPECT_LE((window->pos() - QPoint(31, 17)).manhattanLength(), 2);
    EXPECT_EQ(window->findChild<QSplitter*>()->sizes(), parts);
    EXPECT_EQ(control<QTableView>("超级列表框_商品列表")->columnWidth(0), 333);
    closeWindow();
    EXPECT_EQ(IniFile::load((exeDir / "data" / "setsoft.ini").string()).value("配置", "搜索主机"),
              "127.0.0.1:9");
}

TEST_F(WindowFixture, TheLogBoxKeepsTheLast10000Lines)
{
    auto* log = control<QPlainTextEdit>("编辑框_日志");
    for (int chunk = 0; chunk < 25; ++chunk) {
        std::string text;
        for (int i = 1; i <= 1000; ++i)
            text += "12:00:00 行" + std::to_string(chunk * 1000 + i) + "\r\n";
        window->feedbackHandler({kFeedbackLog, 0, text});
    }
    const QStringList lines = log->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 10000);
    EXPECT_EQ(lines.first(), QString::fromUtf8("12:00:00 行15001"));
    EXPECT_EQ(lines.last(), QString::fromUtf8("12:00:00 行25000"));
}

namespace {

class SafeClose : public WindowFixture
{
protected:
    // Closes with 取消 scripted when asked; the question that came, "" for none.
    QString closeAsks()
    {
        const std::size_t before = ui::Dialogs::shownMessages().size();
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Cancel);
        const bool closed = window->close();
        if (ui::Dialogs::shownMessages().size() > before) {
            EXPECT_FALSE(closed); // 取消 keeps the window
            return ui::Dialogs::shownMessages().back().text;
        }
        ui::Dialogs::resetScript();
        ui::Dialogs::captureOpenedAddresses(true);
        return {};
    }
};

} // namespace

TEST_F(SafeClose, TheQuestionComesExactlyWhileWalkingPausedOrWithUnexportedGoodsAndSaysWhich)
{
    FixtureShopOptions options;
    options.pages = 6;
    options.delay = std::chrono::milliseconds(150);
    FixtureShop shop(options);
    ASSERT_TRUE(shop.start());
    openWindow(shop.config());
    const auto start = [this] { return control<QPushButton>("按钮_控制_开始2暂停"); };
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("20"));
    const std::string exportPath = (exeDir / "goods.csv").string();
    const char* const unexported = "还有未导出的商品，确定退出吗？";

    const struct
    {
        const char* situation;
        std::function<void()> reach;
        const char* asked; // "" for no question
    } cases[] = {
        {"nothing gathered", [] {}, ""},
        // The first page is not in yet: nothing gathered, but the walk goes on.
        {"walking", [&] { start()->click(); }, "搜索还在进行，确定退出吗？"},
        {"paused",
         [&] {
             ASSERT_TRUE(waitUntil([&] { return state->goods.size() >= 2; }, 10000));
             start()->click();
             ASSERT_TRUE(logShows("已暂停", 10000));
         },
         unexported},
        {"stopped with goods unexported",
         [&] {
             control<QPushButton>("按钮_控制_停止")->click();
             ASSERT_TRUE(logShows("已停止"));
         },
         unexported},
        {"export failed",
         [&] {
             ui::Dialogs::scriptSaveAnswer(QString::fromStdString((exeDir / "no" / "such.csv").string()));
             window->onExportClicked();
             ASSERT_TRUE(logShows("导出完毕"));
         },
         unexported},
        {"exported",
         [&] {
             ui::Dialogs::scriptSaveAnswer(QString::fromStdString(exportPath));
             window->onExportClicked();
             ASSERT_TRUE(waitUntil([&] { return logBoxText().count(QString::fromUtf8("导出完毕")) == 2; }));
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        c.reach();
        EXPECT_EQ(closeAsks(), QString::fromUtf8(c.asked));
        if (!*c.asked)
            openWindow(shop.config()); // the close went through
    }
}
