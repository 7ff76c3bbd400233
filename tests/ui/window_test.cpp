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
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

struct Expected
{
    const char* name;
    const char* className;
    const char* text; // nullptr: no caption to check
};

const Expected kControls[] = {
    {"分组框_控制", "QGroupBox", "控制"},
    {"分组框_标签", "QGroupBox", "筛选"},
    {"分组_商品列表", "QGroupBox", "商品列表"},
    {"分组框_日志", "QGroupBox", "日志"},
    {"按钮_清空商品", "QPushButton", "清空商品"},
    {"标签_反馈标签", "QLabel", "反馈标签"},
    {"透明标签1", "QLabel", "可用商品地址："},
    {"编辑框_参数_地址", "QLineEdit", ""},
    {"透明标签8", "QLabel", "普通选项"},
    {"透明标签7", "QLabel", "高级选项(一般无需修改)"},
    {"透明标签2", "QLabel", "翻页间隔(毫秒)："},
    {"编辑框_参数_间隔", "QLineEdit", "1000"},
    {"透明标签6", "QLabel", "如果翻页过快遭到京东限制，可增大这个间隔，1秒=1000毫秒"},
    {"透明标签3", "QLabel", "搜索页数(0为不限制)："},
    {"编辑框_参数_页数", "QLineEdit", "0"},
    {"透明标签9", "QLabel", "附加协议头"},
    {"编辑框_参数_附加协议头", "QPlainTextEdit", ""},
    {"透明标签10", "QLabel", "Cookie"},
    {"编辑框_参数_COOKIE", "QPlainTextEdit", ""},
    {"按钮_导入Cookie", "QPushButton", "导入Cookie…"},
    {"按钮_控制_开始2暂停", "QPushButton", "开始"},
    {"按钮_控制_停止", "QPushButton", "停止"},
    {"超级列表框_商品标签", "QTreeWidget", nullptr},
    {"透明标签4", "QLabel", "价格："},
    {"编辑框_价格min", "QLineEdit", ""},
    {"透明标签5", "QLabel", "~"},
    {"编辑框_价格max", "QLineEdit", ""},
    {"按钮_筛选", "QPushButton", "筛选"},
    {"超级列表框_商品列表", "QTableView", nullptr},
    {"按钮_导出", "QPushButton", "导出"},
    {"按钮_凑单", "QPushButton", "凑单"},
    {"按钮_日志_清空", "QPushButton", "清空"},
    {"编辑框_日志", "QPlainTextEdit", ""},
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

// Every control lies whole inside the window and clear of the other
// controls of its level, so it can be seen and reached.
void expectReachable(QWidget* window, QWidget* w)
{
    const QRect area(w->mapTo(window, QPoint(0, 0)), w->size());
    EXPECT_TRUE(window->rect().contains(area))
        << area.x() << "," << area.y() << " " << area.width() << "x" << area.height();
    EXPECT_GT(area.width(), 0);
    EXPECT_GE(area.height(), w->fontMetrics().height() - 2);
    for (QWidget* sibling : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (sibling != w && sibling->isVisible() && !sibling->objectName().isEmpty()) {
            EXPECT_FALSE(sibling->geometry().intersects(w->geometry()))
                << sibling->objectName().toStdString();
        }
    }
}

TEST_F(WindowFixture, EveryControlHasItsNameKindAndCaptionAndIsReachableAtEverySize)
{
    const QSize minimum = window->minimumSizeHint();
    EXPECT_LE(minimum.width(), 1000);
    EXPECT_LE(minimum.height(), 640);
    for (QSize size : {window->size(), minimum}) {
        window->resize(size);
        QApplication::processEvents();
        for (const Expected& e : kControls) {
            SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(size.width()));
            auto* w = control<QWidget>(e.name);
            ASSERT_NE(w, nullptr);
            EXPECT_STREQ(w->metaObject()->className(), e.className);
            if (e.text) {
                EXPECT_EQ(captionOf(w), QString::fromUtf8(e.text));
            }
            if (w->isVisible())
                expectReachable(window.get(), w);
        }
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Zorvane"));
    EXPECT_FALSE(control<QWidget>("标签_反馈标签")->isVisible());
    EXPECT_FALSE(control<QWidget>("超文本浏览框")->isVisible());
    EXPECT_NE(window->findChild<QObject*>(QString::fromUtf8("通用对话框_导出")), nullptr);
    EXPECT_FALSE(control<QPushButton>("按钮_控制_停止")->isEnabled());
    EXPECT_TRUE(control<QPlainTextEdit>("编辑框_日志")->isReadOnly());

    // The goods list's columns and the tag list's one column, at the first
    // start's size (narrower, the name column gives way to keep 变化 in view).
    window->resize(1050, 764);
    QApplication::processEvents();
    auto* goods = control<QTableView>("超级列表框_商品列表");
    const char* titles[] = {"名称", "商品ID", "价格", "商品标签"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(goods->model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
    EXPECT_EQ(goods->columnWidth(0), 280);
    EXPECT_GE(goods->columnWidth(1), goods->fontMetrics().horizontalAdvance(QStringLiteral("1000120439781")));
    EXPECT_EQ(goods->columnWidth(2), 100);
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

    // Text the program sets (a settings file) is clamped when the box is left.
    interval->setText(QStringLiteral("99999999999"));
    leave(interval);
    EXPECT_EQ(interval->text(), QStringLiteral("2147483647"));
    minPrice->setText(QString(400, u'9'));
    leave(minPrice);
    EXPECT_EQ(minPrice->text(), QStringLiteral("99999999999.99"));
    minPrice->clear();

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
    ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 退出 at the question about the running walk
    const auto started = std::chrono::steady_clock::now();
    window->close();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(std::filesystem::exists(exeDir / "data" / "setsoft.ini"));
    release->set();
    state->workers.join(Worker::Search);
}
