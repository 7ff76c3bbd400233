// The 凑单 dialog driven like a user: the goods shown and a row made 必选, the
// baskets in the tree, a goods page opened, a basket copied, the coupon's 满
// and 减 remembered across runs, and a long solve cancelled.
#include "ui/basket_dialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "base/gbk.h"
#include "core/feedback.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

const char* const kAddress = "https://127.0.0.1:1/coupon?couponbatch=7";

class BasketDialogTest : public WindowFixture
{
protected:
    void addGoods(const std::string& id, const std::string& name, double price)
    {
        storeWalkGoods(GoodsRecord{id, name, price, {}, "", 1, ""});
    }

    ui::BasketDialog* openDialog()
    {
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromUtf8(kAddress));
        control<QPushButton>("按钮_凑单")->click();
        return window->findChild<ui::BasketDialog*>(QString::fromUtf8("凑单对话框"));
    }

    template <typename T> T* part(ui::BasketDialog* dialog, const char* name)
    {
        return dialog->findChild<T*>(QString::fromUtf8(name));
    }

    QStringList rowTexts(const QTreeWidgetItem* item)
    {
        QStringList texts;
        for (int c = 0; c < item->columnCount(); ++c)
            texts.push_back(item->text(c));
        return texts;
    }
};

TEST_F(BasketDialogTest, FindsTheCheapestBasketsWithTheSelectedRowAndOpensAndCopiesThem)
{
    addGoods("1001", "<em>壳</em>", 12.5);
    addGoods("1002", "线", 99.9);
    addGoods("1003", "灯", 200);
    addGoods("1004", "无报价", 0);
    addGoods("1005", "伞", 187.5);
    window->goodsModel()->flush();
    control<QTableView>("超级列表框_商品列表")->selectRow(0);
    ui::BasketDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());

    part<QLineEdit>(dialog, "编辑框_凑单_满")->setText(QStringLiteral("299"));
    part<QLineEdit>(dialog, "编辑框_凑单_减")->setText(QStringLiteral("50"));
    part<QPushButton>(dialog, "按钮_凑单_加入必选")->click();
    auto* must = part<QListWidget>(dialog, "列表框_凑单_必选");
    ASSERT_EQ(must->count(), 1);
    EXPECT_EQ(must->item(0)->text(), QString::fromUtf8("壳  (1001)"));
    part<QPushButton>(dialog, "按钮_凑单_计算")->click();
    auto* tree = part<QTreeWidget>(dialog, "超级列表框_凑单_结果");
    ASSERT_TRUE(waitUntil([&] { return tree->topLevelItemCount() > 0; }));

    // With 壳 in every basket: +伞+线, +灯+线, +伞+灯, +伞+灯+线.
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    const QTreeWidgetItem* first = tree->topLevelItem(0);
    EXPECT_EQ(rowTexts(first), QStringList({QString::fromUtf8("方案1"), "299.90", "249.90", "0.90", "3"}));
    ASSERT_EQ(first->childCount(), 3);
    EXPECT_EQ(rowTexts(first->child(0)), QStringList({QString::fromUtf8("伞"), "187.50", "31.26", "", "1"}));
    EXPECT_EQ(rowTexts(first->child(2)), QStringList({QString::fromUtf8("壳"), "12.50", "2.08", "", "1"}));
    EXPECT_EQ(rowTexts(tree->topLevelItem(3)).mid(1), QStringList({"499.90", "449.90", "200.90", "4"}));

    tree->setFocus();
    tree->setCurrentItem(first->child(1));
    QTest::keyClick(tree, Qt::Key_Return);
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    EXPECT_EQ(ui::Dialogs::openedAddresses().back(), QStringLiteral("https://item.jd.com/1002.html"));
    const QPoint goodsRow = tree->visualItemRect(first->child(0)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, goodsRow);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, goodsRow);
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 2u);
    EXPECT_EQ(ui::Dialogs::openedAddresses().back(), QStringLiteral("https://item.jd.com/1005.html"));
    QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("1\t299.90\t249.90\t1005\t伞\t187.50\t1\t31.26\n"
                                "1\t299.90\t249.90\t1002\t线\t99.90\t1\t16.66\n"
                                "1\t299.90\t249.90\t1001\t<em>壳</em>\t12.50\t1\t2.08\n"));

    // Nothing reaches 满2000: said in the status line, the tree empty.
    part<QLineEdit>(dialog, "编辑框_凑单_满")->setText(QStringLiteral("2000"));
    part<QPushButton>(dialog, "按钮_凑单_计算")->click();
    auto* status = part<QLabel>(dialog, "标签_凑单_状态");
    ASSERT_TRUE(waitUntil([&] { return !status->text().isEmpty(); }));
    EXPECT_EQ(status->text(), QString::fromUtf8("没有能凑到满2000.00元的组合"));
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

TEST_F(BasketDialogTest, RemembersEachCouponsTermsInTheHistoryFile)
{
    ui::BasketDialog* dialog = openDialog();
    part<QLineEdit>(dialog, "编辑框_凑单_满")->setText(QStringLiteral("299"));
    part<QLineEdit>(dialog, "编辑框_凑单_减")->setText(QStringLiteral("50.5"));
    part<QPushButton>(dialog, "按钮_凑单_计算")->click();
    // They live in the history file, not among the window's settings.
    window->saveSettingsNow();
    EXPECT_EQ(readFileBytes(window->settingsPath()).find(utf8ToGbk("凑单")), std::string::npos);
    closeWindow();

    struct Case
    {
        const char* address;
        const char* threshold;
        const char* discount;
    };
    const Case cases[] = {{"https://127.0.0.1:1/coupon?couponbatch=7&page=3", "299.00", "50.50"},
                          {"https://127.0.0.1:1/coupon?couponbatch=8", "", ""}};
    for (const Case& c : cases) {
        openWindow();
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromUtf8(c.address));
        control<QPushButton>("按钮_凑单")->click();
        dialog = window->findChild<ui::BasketDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(part<QLineEdit>(dialog, "编辑框_凑单_满")->text(), QString::fromUtf8(c.threshold))
            << c.address;
        EXPECT_EQ(part<QLineEdit>(dialog, "编辑框_凑单_减")->text(), QString::fromUtf8(c.discount))
            << c.address;
        closeWindow();
    }
}

TEST_F(BasketDialogTest, ALongSolveShowsItIsWorkingAndCanBeCancelled)
{
    // A thousand prices spread up to 3,000 yuan and 满20000: many pieces per
    // basket, seconds of work.
    for (int i = 0; i < 1000; ++i)
        addGoods(std::to_string(10000 + i), "商品",
                 static_cast<double>(100 + (i * 7919L % 99991) * 3) / 100.0);
    ui::BasketDialog* dialog = openDialog();
    part<QLineEdit>(dialog, "编辑框_凑单_满")->setText(QStringLiteral("20000"));
    part<QLineEdit>(dialog, "编辑框_凑单_减")->setText(QStringLiteral("100"));
    part<QPushButton>(dialog, "按钮_凑单_计算")->click();
    auto* cancel = part<QPushButton>(dialog, "按钮_凑单_取消");
    auto* status = part<QLabel>(dialog, "标签_凑单_状态");
    EXPECT_FALSE(cancel->isVisible());
    ASSERT_TRUE(waitUntil([&] { return cancel->isVisible(); }));
    EXPECT_EQ(status->text(), QString::fromUtf8("正在计算…"));
    cancel->click();
    ASSERT_TRUE(waitUntil([&] { return !cancel->isVisible(); }, 2000));
    EXPECT_EQ(status->text(), QString::fromUtf8("已取消"));
}

TEST_F(BasketDialogTest, SaysWhatItCannotSearchAndWhatToChange)
{
    // A thousand goods at 0.01: reaching 满90000 with up to 9999 pieces of
    // each needs nine million piece-count layers, far over the memory budget.
    for (int i = 0; i < 1000; ++i)
        addGoods(std::to_string(10000 + i), "商品", 0.01);
    window->goodsModel()->flush();
    auto* table = control<QTableView>("超级列表框_商品列表");
    table->selectionModel()->select(table->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ui::BasketDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    part<QPushButton>(dialog, "按钮_凑单_加入必选")->click();
    ASSERT_EQ(part<QListWidget>(dialog, "列表框_凑单_必选")->count(), 2);
    struct Case
    {
        const char* threshold;
        const char* discount;
        const char* maxItems;
        const char* maxEach;
        const char* status;
    };
    const Case cases[] = {
        {"90000", "10", "", "9999", "计算所需内存超过1 GiB，请降低满的金额，或减小最多件数、每件最多"},
        {"100", "100", "", "1", "减的金额须小于满的金额，否则每个组合都不用付钱"},
        {"20000000", "10", "", "1", "满和减最多10000000.00元"},
        {"5", "1", "", "10000", "每件最多不能超过9999"},
        {"5", "1", "1", "1", "必选商品有2件，超过了最多件数"},
    };
    auto* status = part<QLabel>(dialog, "标签_凑单_状态");
    for (const Case& c : cases) {
        part<QLineEdit>(dialog, "编辑框_凑单_满")->setText(QString::fromUtf8(c.threshold));
        part<QLineEdit>(dialog, "编辑框_凑单_减")->setText(QString::fromUtf8(c.discount));
        part<QLineEdit>(dialog, "编辑框_凑单_最多件数")->setText(QString::fromUtf8(c.maxItems));
        part<QLineEdit>(dialog, "编辑框_凑单_每件最多")->setText(QString::fromUtf8(c.maxEach));
        status->clear();
        part<QPushButton>(dialog, "按钮_凑单_计算")->click();
        EXPECT_TRUE(waitUntil([&] { return status->text() == QString::fromUtf8(c.status); }, 10000))
            << c.threshold << " " << status->text().toStdString();
        EXPECT_TRUE(window->isVisible());
    }
}

} // namespace
