#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "core/log.h"
#include "ui/dialogs.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

struct Expected
{
    const char* name;
    const char* className;
    const char* text; // nullptr: no caption to check
    int x, y, w, h;
};

const Expected kControls[] = {
    {"分组框_控制", "QGroupBox", "控制", 7, 4, 1030, 147},
    {"分组框_标签", "QGroupBox", "筛选", 8, 155, 216, 335},
    {"分组_商品列表", "QGroupBox", "商品列表", 229, 155, 806, 335},
    {"分组框_日志", "QGroupBox", "日志", 7, 495, 1027, 216},
    {"按钮_清空商品", "QPushButton", "清空商品", 896, 154, 74, 18},
    {"标签_反馈标签", "QLabel", "反馈标签", 536, 320, 56, 16},
    {"透明标签1", "QLabel", "可用商品地址：", 8, 15, 89, 24},
    {"编辑框_参数_地址", "QLineEdit", "", 104, 16, 915, 25},
    {"透明标签8", "QLabel", "普通选项", 7, 46, 152, 13},
    {"透明标签7", "QLabel", "高级选项(一般无需修改)", 478, 46, 152, 13},
    {"透明标签2", "QLabel", "翻页间隔(毫秒)：", 11, 67, 99, 16},
    {"编辑框_参数_间隔", "QLineEdit", "1000", 113, 63, 71, 24},
    {"透明标签6", "QLabel", "如果翻页过快遭到京东限制，可增大这个间隔，1秒=1000毫秒", 114, 89, 329, 16},
    {"透明标签3", "QLabel", "搜索页数(0为不限制)：", 12, 114, 127, 16},
    {"编辑框_参数_页数", "QLineEdit", "0", 143, 110, 71, 24},
    {"透明标签9", "QLabel", "附加协议头", 488, 63, 67, 13},
    {"编辑框_参数_附加协议头", "QPlainTextEdit", "", 487, 79, 212, 58},
    {"透明标签10", "QLabel", "Cookie", 716, 63, 67, 13},
    {"编辑框_参数_COOKIE", "QPlainTextEdit", "", 715, 79, 212, 58},
    {"按钮_控制_开始2暂停", "QPushButton", "开始", 953, 50, 64, 41},
    {"按钮_控制_停止", "QPushButton", "停止", 953, 95, 64, 41},
    {"超级列表框_商品标签", "QTreeWidget", nullptr, 8, 19, 200, 221},
    {"透明标签4", "QLabel", "价格：", 8, 251, 32, 24},
    {"编辑框_价格min", "QLineEdit", "", 44, 251, 56, 24},
    {"透明标签5", "QLabel", "~", 113, 259, 10, 11},
    {"编辑框_价格max", "QLineEdit", "", 136, 251, 56, 24},
    {"按钮_筛选", "QPushButton", "筛选", 7, 285, 200, 32},
    {"超级列表框_商品列表", "QTableView", nullptr, 8, 18, 790, 309},
    {"按钮_导出", "QPushButton", "导出", 749, -1, 56, 18},
    {"按钮_日志_清空", "QPushButton", "清空", 985, 0, 41, 18},
    {"编辑框_日志", "QPlainTextEdit", "", 7, 21, 1011, 189},
};

QString captionOf(QWidget* w)
{
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        return t->toPlainText();
    return {};
}

} // namespace

TEST_F(WindowFixture, EveryControlHasItsNameKindCaptionAndPlace)
{
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        auto* w = control<QWidget>(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), e.className);
        EXPECT_EQ(w->geometry(), QRect(e.x, e.y, e.w, e.h));
        if (e.text) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(e.text));
        }
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Zorvane"));
    EXPECT_EQ(window->size(), QSize(1050, 764));
    EXPECT_FALSE(control<QWidget>("标签_反馈标签")->isVisible());
    EXPECT_FALSE(control<QWidget>("超文本浏览框")->isVisible());
    EXPECT_NE(window->findChild<QObject*>(QString::fromUtf8("通用对话框_导出")), nullptr);
    EXPECT_FALSE(control<QPushButton>("按钮_控制_停止")->isEnabled());
    EXPECT_TRUE(control<QPlainTextEdit>("编辑框_日志")->isReadOnly());

    // The goods list's columns and the tag list's one column.
    auto* goods = control<QTableView>("超级列表框_商品列表");
    const char* titles[] = {"名称", "商品ID", "价格", "商品标签"};
    const int widths[] = {280, 80, 100, 300};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(goods->model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
        EXPECT_EQ(goods->columnWidth(c), widths[c]);
    }
    auto* tags = control<QTreeWidget>("超级列表框_商品标签");
    EXPECT_EQ(tags->headerItem()->text(0), QString::fromUtf8("商品标签"));
    EXPECT_EQ(tags->columnWidth(0), 170);

    const auto menus = window->menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.first()->text(), QString::fromUtf8("关于"));
    EXPECT_EQ(menus.first()->menu()->actions().first()->text(), QString::fromUtf8("当前版本：0.1.1"));
}

TEST_F(WindowFixture, IntegerAndDecimalBoxesRefuseOtherCharactersAndRewriteOnFocusLoss)
{
    auto* interval = control<QLineEdit>("编辑框_参数_间隔");
    auto* minPrice = control<QLineEdit>("编辑框_价格min");
    auto leave = [](QWidget* box) {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusOut);
    };
    interval->clear();
    QTest::keyClicks(interval, "a-b0c07x");
    EXPECT_EQ(interval->text(), QStringLiteral("-007"));
    leave(interval);
    EXPECT_EQ(interval->text(), QStringLiteral("-7"));

    interval->setText(QStringLiteral("0"));
    leave(interval);
    EXPECT_EQ(interval->text(), QString());

    interval->setText(QStringLiteral("99999999999"));
    leave(interval);
    EXPECT_EQ(interval->text(), QStringLiteral("2147483647"));

    QTest::keyClicks(minPrice, "1x2.50");
    EXPECT_EQ(minPrice->text(), QStringLiteral("12.50"));
    leave(minPrice);
    EXPECT_EQ(minPrice->text(), QStringLiteral("12.5"));
    QTest::keyClick(minPrice, Qt::Key_Backspace); // control keys pass
    EXPECT_EQ(minPrice->text(), QStringLiteral("12."));
}

TEST_F(WindowFixture, LogLinesReachTheBoxAndClearingKeepsPendingLines)
{
    appendLog(*state, "第一行");
    ASSERT_TRUE(logShows("第一行"));
    EXPECT_TRUE(logBoxText().endsWith(QString::fromUtf8(" 第一行\n")));

    ui::Dialogs::scriptMessageAnswer(QMessageBox::Cancel);
    window->clearLog();
    EXPECT_TRUE(logBoxText().contains(QString::fromUtf8("第一行")));

    appendLog(*state, "等待中");
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
    window->clearLog();
    ASSERT_TRUE(logShows("等待中"));
    EXPECT_FALSE(logBoxText().contains(QString::fromUtf8("第一行")));
    ASSERT_EQ(ui::Dialogs::shownMessages().size(), 2u);
    EXPECT_EQ(ui::Dialogs::shownMessages().back().text, QString::fromUtf8("确认清除日志？"));
}

TEST_F(WindowFixture, ClosingTheWindowDoesNotWaitForAStuckWorker)
{
    // A worker stuck in its work (like a 15-second request) must not hold up
    // the close; the program then ends without joining it.
    auto release = std::make_shared<ManualResetEvent>();
    state->walk.startPause(nullptr, [&] {
        return state->workers.start(Worker::Search,
                                    [release] { release->waitFor(std::chrono::seconds(30)); });
    });
    control<QLineEdit>("编辑框_参数_地址")->setText(QStringLiteral("https://example.invalid/s"));
    const auto started = std::chrono::steady_clock::now();
    window->close();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(std::filesystem::exists(exeDir / "data" / "setsoft.ini"));
    release->set();
    state->workers.join(Worker::Search);
}
