// The window recording its walks in the history file: each goods item's
// change against the coupon's walk before, the tick box that keeps the new
// and cheaper ones, the price chart over what is shown, and an earlier walk
// loaded back.
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>

#include "base/text.h"
#include "history/history_store.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "ui/history_dialog.h"
#include "ui/price_chart.h"
#include "ui/status_panel.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

// The goods list's rows as goods id -> 变化 column.
std::map<std::string, std::string> shownChanges(ui::MainWindow& window)
{
    ui::GoodsTableModel* model = window.goodsModel();
    model->flush();
    std::map<std::string, std::string> changes;
    for (int row = 0; row < model->rowCount(); ++row) {
        changes[model->rowAt(row)->goodsId] =
            model->index(row, ui::GoodsTableModel::kChangeColumn).data().toString().toStdString();
    }
    return changes;
}

std::int64_t chartedGoods(ui::MainWindow& window)
{
    const std::vector<std::int64_t>& counts = window.priceChart()->histogram().counts;
    return std::accumulate(counts.begin(), counts.end(), std::int64_t(0));
}

// Stores an earlier walk of another coupon: 2 goods over 4 pages in 65 s.
std::int64_t storeEarlierWalk(const std::filesystem::path& file)
{
    HistoryStore store;
    std::int64_t walk = 0;
    EXPECT_TRUE(store.open(file.string()).status.ok());
    EXPECT_TRUE(store.beginWalk("https://search.example/Search?coupon_batch=7", 1700000000000, walk).ok());
    for (int i = 1; i <= 2; ++i) {
        Sighting goods;
        goods.page = i;
        goods.position = 1;
        goods.goodsId = std::to_string(9000 + i);
        goods.name = "旧商品";
        goods.price = 5.0 * i;
        EXPECT_TRUE(store.addSighting(walk, goods).ok());
    }
    EXPECT_TRUE(store.setPages(walk, 4).ok());
    EXPECT_TRUE(store.endWalk(walk, 1700000065000, "page-limit").ok());
    return walk;
}

} // namespace

TEST_F(WindowFixture, AWalkLoadedFromTheHistoryShowsItsOwnFiguresAndGathersNothing)
{
    const std::int64_t earlier = storeEarlierWalk(exeDir / "data" / "goods.sqlite");
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    openWindow(shop.config());
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    const struct
    {
        const char* step;
        std::function<void()> take;
        const char* question; // the close question afterwards, "" for none
        std::vector<const char*> status;
    } steps[] = {
        {"walked",
         [&] {
             control<QPushButton>("按钮_控制_开始2暂停")->click();
             ASSERT_TRUE(logShows("已停止", 15000));
         },
         "还有未导出的商品，确定退出吗？",
         {"已搜索 3 页", "已收集 6 件"}},
        {"exported",
         [&] {
             ui::Dialogs::scriptSaveAnswer(QString::fromStdString((exeDir / "goods.csv").string()));
             window->onExportClicked();
             ASSERT_TRUE(logShows("导出完毕"));
         },
         "",
         {"已搜索 3 页", "已收集 6 件"}},
        {"loaded",
         [&] {
             ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 确认清空商品吗？
             ASSERT_TRUE(window->loadHistoryWalk(earlier));
         },
         "",
         {"空闲", "已搜索 4 页", "已收集 2 件", "显示 2 件", "用时 01:05"}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.take();
        EXPECT_EQ(window->closeQuestion(), QString::fromUtf8(s.question));
        for (const char* shown : s.status)
            EXPECT_TRUE(window->statusPanel()->text().contains(QString::fromUtf8(shown)))
                << window->statusPanel()->text().toStdString() << " lacks " << shown;
    }
}

TEST_F(WindowFixture, ASecondWalkShowsWhatIsNewAndWhatMovedAndTheTickBoxKeepsNewAndCheaper)
{
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    openWindow(shop.config());
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    const auto walk = [&] {
        const qsizetype before = logBoxText().count(QString::fromUtf8("已停止"));
        control<QPushButton>("按钮_控制_开始2暂停")->click();
        return waitUntil([&] { return logBoxText().count(QString::fromUtf8("已停止")) > before; }, 15000);
    };
    ASSERT_TRUE(walk());
    const std::map<std::string, std::string> firstWalk = shownChanges(*window);
    const std::map<std::string, std::string> allNew = {{"1001", "新"}, {"1002", "新"}, {"2001", "新"},
                                                       {"2002", "新"}, {"3001", "新"}, {"3002", "新"}};
    EXPECT_EQ(firstWalk, allNew);

    shop.setRawPage(1, 200, withPrice(shop.pageText(1), "1002", "12.50", "13.25"));
    shop.setRawPage(2, 200, withPrice(shop.pageText(2), "2001", "21.50", "19.00"));
    shop.setRawPage(3, 200, withThirdItem(shop.pageText(3)));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    window->clearGoods();
    EXPECT_EQ(chartedGoods(*window), 0);
    ASSERT_TRUE(walk());
    const std::map<std::string, std::string> secondWalk = {
        {"1001", ""}, {"1002", "涨¥0.75"}, {"2001", "降¥2.50"}, {"2002", ""},
        {"3001", ""}, {"3002", ""},        {"3003", "新"}};
    EXPECT_EQ(shownChanges(*window), secondWalk);
    EXPECT_EQ(chartedGoods(*window), 7);

    const struct
    {
        bool ticked;
        std::map<std::string, std::string> shown;
    } filters[] = {
        {true, {{"2001", "降¥2.50"}, {"3003", "新"}}},
        {false, secondWalk},
    };
    for (const auto& f : filters) {
        SCOPED_TRACE(f.ticked);
        control<QCheckBox>("选择框_只看新品和降价")->setChecked(f.ticked);
        const qsizetype before = logBoxText().count(QString::fromUtf8("筛选完毕"));
        window->onFilterClicked();
        ASSERT_TRUE(waitUntil([&] { return logBoxText().count(QString::fromUtf8("筛选完毕")) > before; }));
        EXPECT_EQ(shownChanges(*window), f.shown);
        EXPECT_EQ(chartedGoods(*window), static_cast<std::int64_t>(f.shown.size()));
    }

    // The file beside the settings holds both walks; the first loads back as it was seen.
    HistoryStore store;
    ASSERT_TRUE(store.open((exeDir / "data" / "goods.sqlite").string()).status.ok());
    const std::vector<WalkSummary> walks = store.listWalks().rows;
    ASSERT_EQ(walks.size(), 2u);
    EXPECT_EQ(walks[0].endReason, "finished");
    EXPECT_EQ(walks[1].pages, 3);
    EXPECT_EQ(walks[1].goodsCount, 7);
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 确认清空商品吗？
    ASSERT_TRUE(window->loadHistoryWalk(walks[0].id));
    EXPECT_EQ(shownChanges(*window), allNew);
    EXPECT_EQ(state->goods.size(), 6u);
}

TEST_F(WindowFixture, AWalkLoadedFromHistoryKeepsEachTagWhole)
{
    FixtureShop shop;
    ASSERT_TRUE(shop.start());
    // Every goods item of page 1 carries one tag with a comma of its own.
    const std::string tag = "满2件,打9折";
    shop.setRawPage(1, 200, replaceAll(shop.pageText(1), "自营</i>", tag + "</i>"));
    openWindow(shop.config());
    control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    control<QLineEdit>("编辑框_参数_页数")->setText(QStringLiteral("1"));
    control<QPushButton>("按钮_控制_开始2暂停")->click();
    ASSERT_TRUE(logShows("已停止", 15000));

    HistoryStore store;
    ASSERT_TRUE(store.open((exeDir / "data" / "goods.sqlite").string()).status.ok());
    // The recorder's thread writes the walk's end after the window logged it.
    std::vector<WalkSummary> walks;
    ASSERT_TRUE(waitUntil([&] {
        walks = store.listWalks().rows;
        return walks.size() == 1 && walks[0].endedMs;
    }));
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 确认清空商品吗？
    ASSERT_TRUE(window->loadHistoryWalk(walks[0].id));
    const GoodsList loaded = state->goods.snapshot();
    ASSERT_EQ(loaded.size(), 2u);
    for (const GoodsRecord& record : loaded) {
        EXPECT_EQ(record.tags, std::vector<std::string>{tag});
        EXPECT_EQ(record.tagText, tag);
    }
    auto* tagList = control<QTreeWidget>("超级列表框_商品标签");
    ASSERT_EQ(tagList->topLevelItemCount(), 1);
    EXPECT_EQ(tagList->topLevelItem(0)->data(0, Qt::UserRole).toString().toStdString(), tag);
}

// 开始 after a walk, with its goods still listed: one question, whose answer
// can be kept; a paused walk goes on without it.
TEST_F(WindowFixture, AFreshWalkAsksOnceWhetherTheEarlierGoodsGo)
{
    FixtureShopOptions options;
    options.delay = std::chrono::milliseconds(60);
    FixtureShop shop(options);
    ASSERT_TRUE(shop.start());
    const auto prepare = [&] {
        openWindow(shop.config());
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(shop.firstPageUrl()));
        control<QLineEdit>("编辑框_参数_间隔")->setText(QStringLiteral("0"));
    };
    prepare();
    const auto start = [&] { control<QPushButton>("按钮_控制_开始2暂停")->click(); };
    const auto ended = [&](const char* line, qsizetype before) {
        return waitUntil([&] { return logBoxText().count(QString::fromUtf8(line)) > before; }, 15000);
    };
    const auto walk = [&] {
        const qsizetype before = logBoxText().count(QString::fromUtf8("已停止"));
        start();
        ASSERT_TRUE(ended("已停止", before));
    };
    walk();
    shop.setRawPage(1, 200, withPrice(shop.pageText(1), "1002", "12.50", "13.25"));
    shop.setRawPage(3, 200, withThirdItem(shop.pageText(3)));
    const std::map<std::string, std::string> secondWalk = {{"1001", ""},  {"1002", "涨¥0.75"}, {"2001", ""},
                                                           {"2002", ""},  {"3001", ""},        {"3002", ""},
                                                           {"3003", "新"}};
    const struct
    {
        const char* step;
        const char* answer; // the button chosen, should the question come
        bool ticked;
        std::function<void()> take;
        bool asked;
        int rows;
        const std::map<std::string, std::string>* changes = nullptr; // the rows' 变化, when checked
    } steps[] = {
        {"cancelled", "取消", true,
         [&] {
             const QString before = logBoxText();
             start();
             // Nothing failed: the log stays as it was, the walk idle.
             EXPECT_FALSE(waitUntil([&] { return logBoxText() != before; }, 500))
                 << logBoxText().toStdString();
             EXPECT_EQ(state->walk.state(), RunState::Idle);
         },
         true, 6},
        {"cleared, then paused", "清空并开始", false,
         [&] {
             start();
             ASSERT_TRUE(waitUntil([&] { return state->goods.size() >= 1 && state->goods.size() < 6; }));
             start();
             ASSERT_TRUE(logShows("已暂停", 10000));
             // The earlier goods went only once the walk had begun.
             const QString log = logBoxText();
             EXPECT_LT(log.lastIndexOf(QString::fromUtf8("开始成功")),
                       log.lastIndexOf(QString::fromUtf8("已清空")));
             // The paused walk goes on into the list: no walk is loaded under it.
             ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 确认清空商品吗？, were it asked
             EXPECT_FALSE(window->loadHistoryWalk(1));
         },
         true, 2},
        // Only the new walk, against the first.
        {"resumed", "取消", false, walk, false, 7, &secondWalk},
        {"kept for good", "保留并开始", true, walk, true, 14},
        {"kept as remembered", "取消", false, walk, false, 21},
        {"kept after a restart", "取消", false,
         [&] {
             prepare();
             ASSERT_TRUE(window->loadHistoryWalk(1));
             walk();
         },
         false, 13},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        ui::Dialogs::scriptChoiceAnswer(QString::fromUtf8(s.answer), s.ticked);
        s.take();
        const auto& shown = ui::Dialogs::shownMessages();
        EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                                [](const ui::Dialogs::Shown& m) {
                                    return m.text ==
                                           QString::fromUtf8("列表中有上一次搜索的商品。开始前清空吗？");
                                }),
                  s.asked ? 1 : 0);
        ui::Dialogs::resetScript();
        ui::Dialogs::captureOpenedAddresses(true);
        window->goodsModel()->flush();
        EXPECT_EQ(window->goodsModel()->rowCount(), s.rows);
        if (s.changes) {
            EXPECT_EQ(shownChanges(*window), *s.changes);
        }
    }
}

// The walks as the 历史 menu and 管理历史记录… show them: addresses readable
// and cut to fit, "&" as written, ends in words; several deleted at once.
TEST_F(WindowFixture, HistoryEntriesShowReadableAddressesAndEndsInWords)
{
    std::string longQuery;
    for (int i = 0; i < 12; ++i)
        longQuery += "exbrand_%E5%93%81%E7%89%8C%7C";
    std::string longShown;
    for (int i = 0; i < 12; ++i)
        longShown += "exbrand_品牌|";
    const struct
    {
        std::string address;
        const char* end;
        std::string readable; // the whole address as read
        const char* endText;
    } walks[] = {
        {"https://search.jd.com/Search?coupon_batch=1&keyword=%E6%89%8B%E6%9C%BA&qrst=1", "page-limit",
         "https://search.jd.com/Search?coupon_batch=1&keyword=手机&qrst=1", "达到页数限制"},
        {"https://search.jd.com/Search?coupon_batch=2&ev=" + longQuery + "&end=1", "coupon-expired",
         "https://search.jd.com/Search?coupon_batch=2&ev=" + longShown + "&end=1", "优惠券已过期"},
        // GBK escapes are no UTF-8: left as typed.
        {"https://search.jd.com/Search?coupon_batch=3&keyword=%D6%D0", "login-page",
         "https://search.jd.com/Search?coupon_batch=3&keyword=%D6%D0", "需要登录"},
        {"https://search.jd.com/Search?coupon_batch=4&k=a%0Ab", "paused-itself",
         "https://search.jd.com/Search?coupon_batch=4&k=a b", "自动暂停"},
        {"https://s.example/1", "finished", "https://s.example/1", "已完成"},
        {"https://s.example/2", "paused", "https://s.example/2", "已暂停"},
        {"https://s.example/3", "stopped", "https://s.example/3", "已停止"},
    };
    const std::int64_t startedMs = 1700000000000;
    HistoryStore store;
    ASSERT_TRUE(store.open((exeDir / "data" / "goods.sqlite").string()).status.ok());
    for (const auto& w : walks) {
        std::int64_t id = 0;
        ASSERT_TRUE(store.beginWalk(w.address, startedMs, id).ok());
        ASSERT_TRUE(store.endWalk(id, startedMs + 1000, w.end).ok());
    }

    auto* menu = window->findChild<QMenu*>(QString::fromUtf8("菜单_历史"));
    emit menu->aboutToShow();
    ui::HistoryDialog dialog(store, window.get());
    auto* list = dialog.findChild<QTreeWidget*>(QString::fromUtf8("超级列表框_历史"));
    ASSERT_EQ(list->topLevelItemCount(), 7);
    const QString time = QString::fromStdString(formatLocalTime(startedMs));
    for (int i = 0; i < 7; ++i) {
        const auto& w = walks[6 - i]; // newest first
        SCOPED_TRACE(w.address);
        const QString readable = QString::fromStdString(w.readable);
        const QString shown = list->topLevelItem(i)->text(1);
        EXPECT_LE(shown.size(), 80);
        if (readable.size() <= 80) {
            EXPECT_EQ(shown, readable);
        } else {
            EXPECT_TRUE(shown.startsWith(readable.left(30)) && shown.endsWith(readable.right(30)) &&
                        shown.contains(QChar(0x2026)));
        }
        const QString tip = list->topLevelItem(i)->toolTip(1);
        EXPECT_EQ(QTextDocumentFragment::fromHtml(tip).toPlainText(), readable);
        EXPECT_EQ(list->topLevelItem(i)->text(4), QString::fromUtf8(w.endText));
        // The menu's entry as drawn: "&&" is one "&", no letter underlined.
        const QString entry = menu->actions().at(i)->text();
        EXPECT_FALSE(QString(entry).remove(QStringLiteral("&&")).contains(u'&'));
        EXPECT_EQ(QString(entry).replace(QStringLiteral("&&"), QStringLiteral("&")),
                  time + QStringLiteral("  ") + shown + QString::fromUtf8("  0件"));
    }

    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    list->topLevelItem(4)->setSelected(true);
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    dialog.findChild<QPushButton*>(QString::fromUtf8("按钮_历史_删除"))->click();
    ASSERT_EQ(ui::Dialogs::shownMessages().size(), 1u);
    EXPECT_EQ(ui::Dialogs::shownMessages().back().text, QString::fromUtf8("确认删除选中的2条历史记录吗？"));
    EXPECT_EQ(list->topLevelItemCount(), 5);
    EXPECT_EQ(store.listWalks().rows.size(), 5u);
}
