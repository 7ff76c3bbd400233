// The window as a desktop tool: its layout remembered, the close question,
// the bounded log.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>

#include "settings/ini_file.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "ui/price_chart.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, SizePlaceDivisionAndColumnsAreRememberedAcrossARestart)
{
    // Wide enough for the name column's own width: narrower, it gives way.
    const QSize size = QSize(1337, window->minimumSizeHint().height() + 23);
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

// A 1024x600 screen leaves the window 560 pixels; the frame takes the rest.
TEST_F(WindowFixture, OnASmallScreenTheTagsShowFiveRowsAndTheChangeColumnIsInView)
{
    for (int i = 1; i <= 8; ++i) {
        const std::string tag = "标签" + std::to_string(i);
        storeWalkGoods(GoodsRecord{std::to_string(1000 + i), "商品", 1.5 * i, {tag}, tag, 1, ""});
    }
    window->goodsModel()->flush();
    EXPECT_LE(window->minimumSizeHint().height(), 560);
    const struct
    {
        QSize size;
        bool chartWanted; // the price chart too
        int nameWidth;    // the name column's, 0 when squeezed
    } cases[] = {{QSize(1024, 560), false, 0}, {QSize(1050, 764), true, 280}};
    auto* tags = control<QTreeWidget>("超级列表框_商品标签");
    auto* goods = control<QTableView>("超级列表框_商品列表");
    QHeaderView* header = goods->horizontalHeader();
    const int change = ui::GoodsTableModel::kChangeColumn;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size.width());
        window->resize(c.size);
        QApplication::processEvents();
        EXPECT_GE(tags->viewport()->height(), 5 * tags->visualItemRect(tags->topLevelItem(0)).height());
        EXPECT_EQ(goods->horizontalScrollBar()->maximum(), 0);
        EXPECT_LE(header->sectionViewportPosition(change) + header->sectionSize(change),
                  goods->viewport()->width());
        EXPECT_GE(header->sectionSize(change),
                  header->fontMetrics().horizontalAdvance(QString::fromUtf8("变化")));
        EXPECT_TRUE(window->priceChart()->isVisible() || !c.chartWanted);
        if (c.nameWidth > 0) {
            EXPECT_EQ(header->sectionSize(ui::GoodsTableModel::kNameColumn), c.nameWidth); // taken back
        }
    }
}

// Inside its frame the chart without goods is the window's own background:
// no white plot, no axis line.
TEST_F(WindowFixture, TheEmptyPriceChartIsAnEmptyFrame)
{
    window->resize(1050, 764);
    const struct
    {
        const char* situation;
        std::vector<double> prices;
        bool empty;
    } cases[] = {{"no goods", {}, true}, {"three goods", {1.5, 2.5, 9}, false}, {"emptied", {}, true}};
    ui::PriceChart* chart = window->priceChart();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        chart->showPrices(c.prices);
        QApplication::processEvents();
        ASSERT_TRUE(chart->isVisible());
        const QImage image = chart->grab().toImage();
        const int frame = chart->frameWidth();
        QSet<QRgb> colours;
        for (int y = frame; y < image.height() - frame; ++y) {
            for (int x = frame; x < image.width() - frame; ++x)
                colours.insert(image.pixel(x, y));
        }
        EXPECT_EQ(colours.size() == 1 && colours.contains(chart->palette().color(QPalette::Window).rgb()),
                  c.empty);
    }
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
             ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // the failure's box
             const std::size_t shown = ui::Dialogs::shownMessages().size();
             window->onExportClicked();
             ASSERT_TRUE(logShows("导出完毕"));
             ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() > shown; }));
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
