#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/dialogs.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, ImportedCookiesForTheAddressLandInTheCookieBox)
{
    const std::string txt = (exeDir / "cookies.txt").string();
    writeFileBytes(txt, "# Netscape HTTP Cookie File\n"
                        ".jd.com\tTRUE\t/\tFALSE\t0\tsid\tfile\n"
                        "#HttpOnly_search.jd.com\tFALSE\t/\tTRUE\t0\thost\th\n"
                        "item.jd.com\tFALSE\t/\tFALSE\t0\titem\ti\n");
    const std::string notes = (exeDir / "notes.txt").string();
    writeFileBytes(notes, "sid=1\n");
    struct Case
    {
        std::string chosen; // "" = the dialog was cancelled
        std::string address;
        std::string box;   // after the import; before it "pin=me; sid=old"
        std::string shown; // the message box, "" = none
    };
    const Case cases[] = {
        {txt, "https://search.jd.com/Search?coupon_batch=1", "pin=me; sid=file; host=h", ""},
        {txt, "", "pin=me; sid=file; host=h", ""},
        {txt, "http://item.jd.com/1.html", "pin=me; sid=file; item=i", ""},
        {notes, "", "pin=me; sid=old", "该文件既不是cookies.txt也不是Firefox的cookies.sqlite，未导入Cookie"},
        {txt, "https://www.example.com/", "pin=me; sid=old",
         "\"" + txt + "\"中没有发往www.example.com的Cookie，未导入Cookie"},
        {"", "", "pin=me; sid=old", ""},
    };
    auto* box = control<QPlainTextEdit>("编辑框_参数_COOKIE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen + " " + c.address);
        ui::Dialogs::resetScript();
        box->setPlainText(QStringLiteral("pin=me; sid=old"));
        control<QLineEdit>("编辑框_参数_地址")->setText(QString::fromStdString(c.address));
        ui::Dialogs::scriptOpenAnswer(QString::fromStdString(c.chosen));
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
        control<QPushButton>("按钮_导入Cookie")->click();
        EXPECT_EQ(box->toPlainText().toStdString(), c.box);
        const auto& shown = ui::Dialogs::shownMessages();
        EXPECT_EQ(shown.empty() ? std::string() : shown.back().text.toStdString(), c.shown);
        if (c.chosen == txt) {
            EXPECT_TRUE(logShows("已从\"" + txt + "\"导入2个Cookie"));
        }
    }
}
