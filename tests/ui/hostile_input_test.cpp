// What the user or the update answer puts in front of the window: message
// texts, web addresses, pasted numbers, clicks beside the rows.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QTreeWidget>

#include "base/text.h"
#include "core/log.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "update/menus.h"
#include "window_fixture.h"

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
    storeWalkGoods(GoodsRecord{"1001", "商品", 1, {}, "", 1, ""});
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
    const std::string manyDigits(400, '9');
    const std::string longFraction = "0." + manyDigits;
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
        {"编辑框_价格max", "99999999999.99", "99999999999.99"},
        {"编辑框_价格min", "-99999999999.99", "-99999999999.99"},
        {"编辑框_价格max", "100000000000", ""},
        {"编辑框_价格max", manyDigits.c_str(), ""},
        {"编辑框_价格min", longFraction.c_str(), longFraction.c_str()},
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
    storeWalkGoods(GoodsRecord{"1001", "商品", 1, {}, "", 1, ""});
    window->goodsModel()->flush();
    QApplication::processEvents();
    const QRect row = view->visualRect(window->goodsModel()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center() + QPoint(0, row.height() * 3));
    EXPECT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
}

// Decoded entities in a name or tag are text: a tooltip shows them as written,
// the way Qt's tooltip label reads what it is given.
TEST_F(WindowFixture, TooltipsShowNamesAndTagsAsWritten)
{
    storeWalkGoods(GoodsRecord{"1001",
                               "&lt;b&gt;粗&lt;/b&gt;  &lt;img src=x&gt;",
                               1,
                               {"&lt;i&gt;满2件&lt;/i&gt;"},
                               "&lt;i&gt;满2件&lt;/i&gt;",
                               1,
                               ""});
    window->goodsModel()->flush();
    const auto goodsTip = [this](int column) {
        return window->goodsModel()->index(0, column).data(Qt::ToolTipRole).toString();
    };
    const struct
    {
        const char* where;
        QString tooltip;
        const char* seen;
    } cases[] = {
        {"goods name", goodsTip(ui::GoodsTableModel::kNameColumn), "<b>粗</b> <img src=x>"},
        {"goods tags", goodsTip(3), "<i>满2件</i>"},
        {"tag list", control<QTreeWidget>("超级列表框_商品标签")->topLevelItem(0)->toolTip(0),
         "<i>满2件</i>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const QString seen = Qt::mightBeRichText(c.tooltip)
                                 ? QTextDocumentFragment::fromHtml(c.tooltip).toPlainText()
                                 : c.tooltip;
        EXPECT_EQ(seen, QString::fromUtf8(c.seen));
    }
}
