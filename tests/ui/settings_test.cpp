#include "window_fixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/gbk.h"
#include "settings/ini_file.h"

using namespace zorvane;
using namespace zorvane::test;

TEST_F(WindowFixture, InputValuesSurviveARestartAndTheLogIsNeverStored)
{
    const std::string longCookie(20000, 'c');
    control<QLineEdit>("编辑框_参数_地址")
        ->setText(QString::fromUtf8("https://search.jd.com/Search?coupon_batch=1&关键词"));
    control<QLineEdit>("编辑框_参数_间隔")->setText(QString());
    control<QPlainTextEdit>("编辑框_参数_附加协议头")->setPlainText(QStringLiteral("X-A: 1\nX-B: 2"));
    control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(QString::fromStdString(longCookie));
    control<QLineEdit>("编辑框_价格max")->setText(QStringLiteral("99.5"));
    control<QPlainTextEdit>("编辑框_日志")->setPlainText(QStringLiteral("log text"));
    closeWindow();

    const auto path = exeDir / "data" / "setsoft.ini";
    const std::string bytes = readFileBytes(path);
    EXPECT_NE(bytes.find(utf8ToGbk("[编辑框]")), std::string::npos);
    EXPECT_NE(bytes.find(utf8ToGbk("编辑框_参数_附加协议头=X-A: 1><br><X-B: 2")), std::string::npos);
    EXPECT_EQ(bytes.find(utf8ToGbk("编辑框_日志")), std::string::npos);

    openWindow();
    EXPECT_EQ(control<QLineEdit>("编辑框_参数_地址")->text(),
              QString::fromUtf8("https://search.jd.com/Search?coupon_batch=1&关键词"));
    // Stored empty, so the window's own default comes back.
    EXPECT_EQ(control<QLineEdit>("编辑框_参数_间隔")->text(), QStringLiteral("1000"));
    EXPECT_EQ(control<QPlainTextEdit>("编辑框_参数_附加协议头")->toPlainText(),
              QStringLiteral("X-A: 1\nX-B: 2"));
    EXPECT_EQ(control<QPlainTextEdit>("编辑框_参数_COOKIE")->toPlainText().toStdString(), longCookie);
    EXPECT_EQ(control<QLineEdit>("编辑框_价格max")->text(), QStringLiteral("99.5"));
    EXPECT_EQ(control<QPlainTextEdit>("编辑框_日志")->toPlainText(), QString());
}

TEST_F(WindowFixture, SavingKeepsOtherSectionsAndAHandAddedLogKeyIsLoaded)
{
    closeWindow();
    const auto path = exeDir / "data" / "setsoft.ini";
    IniFile ini = IniFile::load(path.string());
    ASSERT_TRUE(ini.setValue("配置", "搜索主机", "127.0.0.1:9"));
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_日志", "手写的日志"));
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_价格min", "3"));
    ASSERT_TRUE(ini.save(path.string()));

    openWindow({}, false);
    EXPECT_EQ(control<QPlainTextEdit>("编辑框_日志")->toPlainText(), QString::fromUtf8("手写的日志"));
    EXPECT_EQ(control<QLineEdit>("编辑框_价格min")->text(), QStringLiteral("3"));
    control<QLineEdit>("编辑框_价格min")->setText(QStringLiteral("4"));
    closeWindow();

    IniFile after = IniFile::load(path.string());
    EXPECT_EQ(after.value("配置", "搜索主机").value_or(""), "127.0.0.1:9");
    EXPECT_EQ(after.value("编辑框", "编辑框_价格min").value_or(""), "4");
    // The hand-added key stays as it was: the log box itself is never written.
    EXPECT_EQ(after.value("编辑框", "编辑框_日志").value_or(""), "手写的日志");
}
