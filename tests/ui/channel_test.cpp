#include <QCoreApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <thread>

#include "core/log.h"
#include "core/walk_feedback.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

GoodsRecord goods(std::string id, double price, std::vector<std::string> tags, int passes = 1)
{
    GoodsRecord r;
    r.goodsId = std::move(id);
    r.name = "商品" + r.goodsId;
    r.price = price;
    r.tags = std::move(tags);
    for (const auto& t : r.tags)
        r.tagText += (r.tagText.empty() ? "" : ",") + t;
    r.passesFilter = passes;
    return r;
}

QStringList tagRows(QTreeWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0);
    return rows;
}

} // namespace

TEST_F(WindowFixture, NewGoodsFromAWorkerShowRowsAndEachNewTagOnce)
{
    auto* tags = control<QTreeWidget>("超级列表框_商品标签");
    // Sent from a worker thread, as the page analysis does: each send returns
    // only after the window has handled it.
    std::thread worker([&] {
        const GoodsRecord records[] = {goods("1", 12.9, {"自营", "券"}), goods("2", 15, {"券", "满减"}),
                                       goods("3", 1, {"隐藏"}, 0)};
        for (const GoodsRecord& r : records) {
            std::int64_t n = state->goods.append(r);
            window->sink().send(newGoodsFeedback(StoredGoods{r, 1, static_cast<int>(n), n}));
        }
    });
    ASSERT_TRUE(waitUntil([&] { return tags->topLevelItemCount() == 4; }));
    worker.join();
    EXPECT_EQ(tagRows(tags), (QStringList{"自营", "券", "满减", "隐藏"}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tags->topLevelItem(i)->checkState(0), Qt::Unchecked);
    // The record that does not pass the filter brings its tag but no row.
    ASSERT_TRUE(waitUntil([&] { return window->goodsModel()->rowCount() == 2; }));
    EXPECT_EQ(window->goodsModel()->data(window->goodsModel()->index(0, 2), Qt::DisplayRole).toString(),
              QStringLiteral("12.9"));
    EXPECT_EQ(window->goodsModel()->data(window->goodsModel()->index(1, 2), Qt::DisplayRole).toString(),
              QStringLiteral("15"));
    EXPECT_EQ(window->goodsModel()->data(window->goodsModel()->index(1, 3), Qt::DisplayRole).toString(),
              QString::fromUtf8("券,满减"));
}

TEST_F(WindowFixture, PostedCaptionAndMessageAndUnknownCodes)
{
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    window->sink().post({kFeedbackCaption, 0, std::string("新标题")});
    window->sink().post({kFeedbackMessage, 0, std::string("公告")});
    window->sink().post({kFeedbackMessage, 0, std::nullopt}); // no text: nothing at all
    window->sink().post({4242, 0, std::string("ignored")});
    ASSERT_TRUE(waitUntil([&] { return window->windowTitle() == QString::fromUtf8("新标题"); }));
    ASSERT_TRUE(waitUntil([&] { return !ui::Dialogs::shownMessages().empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(ui::Dialogs::shownMessages().size(), 1u);
    EXPECT_EQ(ui::Dialogs::shownMessages().front().title, QString::fromUtf8("提示"));
    EXPECT_EQ(ui::Dialogs::shownMessages().front().text, QString::fromUtf8("公告"));
    EXPECT_EQ(ui::Dialogs::shownMessages().front().icon, QMessageBox::NoIcon);
}

TEST_F(WindowFixture, ClearGoodsAsksFirstAndIsRefusedWhileSorting)
{
    storeWalkGoods(goods("7", 3, {"券"}));
    window->onGoodsHeaderClicked(ui::GoodsTableModel::kPriceColumn); // the sort turns ascending
    ASSERT_TRUE(waitUntil([&] { return !state->workers.running(Worker::Sort); }));
    auto* header = control<QTableView>("超级列表框_商品列表")->horizontalHeader();
    ASSERT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    ui::Dialogs::scriptMessageAnswer(QMessageBox::Cancel);
    window->clearGoods();
    EXPECT_EQ(state->goods.size(), 1u);

    auto release = std::make_shared<ManualResetEvent>();
    ASSERT_TRUE(
        state->workers.start(Worker::Sort, [release] { release->waitFor(std::chrono::seconds(30)); }));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    window->clearGoods();
    EXPECT_EQ(state->goods.size(), 1u);
    EXPECT_TRUE(logShows("正在排序中"));
    release->set();
    state->workers.join(Worker::Sort);

    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    window->clearGoods();
    EXPECT_EQ(state->goods.size(), 0u);
    EXPECT_EQ(window->goodsModel()->totalRows(), 0);
    EXPECT_EQ(control<QTreeWidget>("超级列表框_商品标签")->topLevelItemCount(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_TRUE(logShows("已清空"));
    EXPECT_EQ(ui::Dialogs::shownMessages().back().text, QString::fromUtf8("确认清空商品吗？"));
    // The tags known before the clearing are forgotten with the goods.
    storeWalkGoods(goods("8", 4, {"券"}));
    EXPECT_EQ(tagRows(control<QTreeWidget>("超级列表框_商品标签")), QStringList{QString::fromUtf8("券")});
}

TEST_F(WindowFixture, ClickingARowOpensTheItemPageFromTheTemplate)
{
    state->goodsAddress.set("https://item.example/{goods_id}.html?again={goods_id}");
    storeWalkGoods(goods("100012043978", 9, {}));
    window->goodsModel()->flush();
    window->onGoodsListClicked(1); // no such row: nothing opens
    EXPECT_TRUE(ui::Dialogs::openedAddresses().empty());
    window->onGoodsListClicked(0);
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    EXPECT_EQ(ui::Dialogs::openedAddresses().front(),
              QStringLiteral("https://item.example/100012043978.html?again=100012043978"));

    // A template that is not a web address never reaches the desktop.
    state->goodsAddress.set("file:///tmp/{goods_id}");
    window->onGoodsListClicked(0);
    EXPECT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
}

TEST_F(WindowFixture, AClickOpensTheRowUnderTheMouse)
{
    state->goodsAddress.set("https://item.example/{goods_id}.html");
    for (const char* id : {"10", "11", "12"})
        storeWalkGoods(goods(id, 9, {}));
    window->goodsModel()->flush();
    auto* view = control<QTableView>("超级列表框_商品列表");
    struct Click
    {
        int row; // -1: below the rows
        Qt::KeyboardModifiers keys;
    };
    const struct
    {
        const char* name;
        std::vector<Click> clicks;
        QStringList opened;
    } cases[] = {
        {"a plain click", {{1, Qt::NoModifier}}, {"11"}},
        {"a plain click narrowing a wider selection",
         {{0, Qt::NoModifier}, {2, Qt::ShiftModifier}, {2, Qt::NoModifier}},
         {"10", "12"}},
        {"ctrl and shift clicks only select", {{1, Qt::ControlModifier}, {2, Qt::ShiftModifier}}, {}},
        {"a click below the rows", {{-1, Qt::NoModifier}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view->clearSelection();
        ui::Dialogs::openedAddresses().clear();
        for (const Click& click : c.clicks) {
            const QRect last = view->visualRect(window->goodsModel()->index(2, 0));
            const QPoint at = click.row < 0
                                  ? QPoint(last.center().x(), last.bottom() + last.height())
                                  : view->visualRect(window->goodsModel()->index(click.row, 0)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, click.keys, at);
        }
        QStringList wanted;
        for (const QString& id : c.opened)
            wanted << QStringLiteral("https://item.example/%1.html").arg(id);
        EXPECT_EQ(QStringList(ui::Dialogs::openedAddresses().begin(), ui::Dialogs::openedAddresses().end())
                      .join(' ')
                      .toStdString(),
                  wanted.join(' ').toStdString());
    }
}
