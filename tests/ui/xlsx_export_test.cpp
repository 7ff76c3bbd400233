#include <QLineEdit>
#include <QPushButton>

#include "tests/search/fixture_shop.h"
#include "tests/support/xlsx_reader.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, WorkbookExportHoldsWhatTheListShows)
{
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    openWindow(shop.config());
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    control<QPushButton>("按钮_控制_开始2暂停")->click();
    ASSERT_TRUE(logShows("搜索线程：搜索完毕", 15000));
    ASSERT_TRUE(waitUntil([&] { return window->goodsModel()->rowCount() == 6; }));
    control<QLineEdit>("编辑框_价格min")->setText(QStringLiteral("20"));
    control<QPushButton>("按钮_筛选")->click();
    ASSERT_TRUE(logShows("筛选完毕"));
    window->onGoodsHeaderClicked(ui::GoodsTableModel::kPriceColumn);
    ASSERT_TRUE(waitUntil([&] { return !state->workers.running(Worker::Sort); }));
    ASSERT_TRUE(waitUntil([&] { return window->goodsModel()->rowCount() == 4; }));

    const QString filter =
        window->findChild<QObject*>(QString::fromUtf8("通用对话框_导出"))->property("filter").toString();
    EXPECT_TRUE(filter.contains(QString::fromUtf8("Excel 工作簿 (*.xlsx)"))) << filter.toStdString();
    const std::string path = (exeDir / "goods.XLSX").string();
    ui::Dialogs::scriptSaveAnswer(QString::fromStdString(path));
    control<QPushButton>("按钮_导出")->click();
    ASSERT_TRUE(logShows("已导出到\"" + path + "\""));

    const XlsxBook book = readXlsx(path);
    ASSERT_EQ(book.failure, "");
    EXPECT_EQ(book.frozenAt, "A2");
    EXPECT_EQ(book.filterOver, "A1:F5");
    EXPECT_EQ(book.cells.at("F1").value, "变化");
    EXPECT_TRUE(book.cells.at("F1").bold);
    for (int i = 0; i < 4; ++i) {
        const ui::GoodsTableModel::Row* shown = window->goodsModel()->rowAt(i);
        const std::string row = std::to_string(i + 2);
        SCOPED_TRACE(row);
        EXPECT_EQ(book.cells.at("A" + row).value, shown->shownName);
        EXPECT_EQ(book.cells.at("B" + row).value, shown->goodsId);
        EXPECT_EQ(book.cells.at("B" + row).type, "s");
        EXPECT_EQ(book.cells.at("C" + row).value, shown->priceText);
        EXPECT_EQ(book.cells.at("C" + row).type, "n");
        EXPECT_EQ(book.cells.at("D" + row).value, shown->shownTags);
        EXPECT_EQ(book.cells.at("E" + row).link, state->goodsAddress.addressOf(shown->goodsId));
        EXPECT_EQ(book.cells.count("F" + row) ? book.cells.at("F" + row).value : "", shown->change);
    }
}
