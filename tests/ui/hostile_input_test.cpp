// What the user or the update answer puts in front of the window: message
// texts, web addresses, pasted numbers, clicks beside the rows.
#include "window_fixture.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "core/log.h"
#include "core/text.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "update/menus.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, MessageTextFromTheAnswerIsShownAsPlainText)
{
    Qt::TextFormat format = Qt::RichText;
    int height = 0;
    QTimer::singleShot(200, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        height = box->height();
        box->accept();
    });
    window->feedbackHandler({kFeedbackMessage, 0, std::string("<b>粗</b><img height=1000000>")});
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_LT(height, 1000);
}

// Addresses a browser opens, whichever way they come: the update answer's
// open_url, a menu link, a goods row.
TEST_F(WindowFixture, WebAddressesAreOpenedTolerantlyAndOthersRefused)
{
    const struct
    {
        const char* address;
        bool opened;
    } cases[] = {
        {"https://item.example/a b.html", true}, {"https://item.example/|{}\"^.html", true},
        {"https://item.example/%zz.html", true}, {"HTTP://item.example/", true},
        {"file:///etc/passwd", false},           {"abc", false},
    };
    auto* view = control<QTableView>("超级列表框_商品列表");
    state->goods.append(GoodsRecord{"1001", "商品", 1, {}, "", 1, ""});
    window->feedbackHandler({kFeedbackNewGoods, 1, std::nullopt});
    window->goodsModel()->flush();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ui::Dialogs::openedAddresses().clear();
        EXPECT_EQ(ui::Dialogs::openWebAddress(QString::fromUtf8(c.address)), c.opened);

        window->feedbackHandler(
            {kFeedbackMenu, 0, std::nullopt,
             parseMenus(std::string(R"({"top":{"L":")") + replaceAll(c.address, "\"", "\\\"") + "\"}}")});
        window->menuBar()->actions().last()->trigger();

        state->goodsAddress.set(replaceAll(c.address, ".html", "{goods_id}"));
        const QRect row = view->visualRect(window->goodsModel()->index(0, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
        EXPECT_EQ(ui::Dialogs::openedAddresses().size(), c.opened ? 3u : 0u);
    }
}

TEST_F(WindowFixture, NumberBoxesTakePastedAndComposedTextByTheTypingRules)
{
    const struct
    {
        const char* box;
        const char* arriving;
        const char* shown;
    } cases[] = {
        {"编辑框_参数_间隔", "１５００", "1500"},
        {"编辑框_参数_间隔", "一千", ""},
        {"编辑框_参数_间隔", "abc", ""},
        {"编辑框_参数_间隔", "3000ms", ""},
        {"编辑框_参数_间隔", "2147483647", "2147483647"},
        {"编辑框_参数_间隔", "2147483648", ""},
        {"编辑框_参数_页数", "-2147483648", "-2147483648"},
        {"编辑框_参数_页数", "99999999999", ""},
        {"编辑框_价格min", "１２．５", "12.5"},
        {"编辑框_价格min", "12.5元", ""},
        {"编辑框_价格max", "1.5.2", "1.5.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + c.arriving);
        auto* box = control<QLineEdit>(c.box);
        box->clear();
        box->insert(QString::fromUtf8(c.arriving)); // the way a paste or a drop arrives
        EXPECT_EQ(box->text(), QString::fromUtf8(c.shown));

        box->clear();
        box->setFocus();
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromUtf8(c.arriving));
        QApplication::sendEvent(box, &composed);
        EXPECT_EQ(box->text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(WindowFixture, AClickBelowTheRowsOpensNothing)
{
    auto* view = control<QTableView>("超级列表框_商品列表");
    state->goods.append(GoodsRecord{"1001", "商品", 1, {}, "", 1, ""});
    window->feedbackHandler({kFeedbackNewGoods, 1, std::nullopt});
    window->goodsModel()->flush();
    QApplication::processEvents();
    const QRect row = view->visualRect(window->goodsModel()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center() + QPoint(0, row.height() * 3));
    EXPECT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
}
