#include <QLineEdit>
#include <QPlainTextEdit>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/gbk.h"
#include "base/text.h"
#include "core/log.h"
#include "settings/ini_file.h"
#include "window_fixture.h"

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

namespace {

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace

TEST_F(WindowFixture, ValuesGbkLacksTurnTheSettingsIntoUtf8OnceAndComeBack)
{
    const std::string switched = "设置中有GBK无法表示的字符，设置文件已改用UTF-8保存";
    const QString folder = QString::fromUtf8("https://a.example/폴더");
    const QString cookie = QString::fromUtf8("pt_key=\xF0\x9F\x98\x80");
    const auto path = exeDir / "data" / "setsoft.ini";
    closeWindow();
    ASSERT_FALSE(startsWith(readFileBytes(path), "\xEF\xBB\xBF")); // a new file is GBK
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        openWindow({}, false);
        if (round == 0) {
            control<QLineEdit>("编辑框_参数_地址")->setText(folder);
            control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(cookie);
        }
        EXPECT_EQ(control<QLineEdit>("编辑框_参数_地址")->text(), folder);
        EXPECT_EQ(control<QPlainTextEdit>("编辑框_参数_COOKIE")->toPlainText(), cookie);
        closeWindow();
        EXPECT_EQ(countOf(takeLogBuffer(*state), switched), round == 0 ? 1u : 0u);
        EXPECT_TRUE(startsWith(readFileBytes(path), "\xEF\xBB\xBF"));
    }
}

// The settings file holds the login cookie as the job file of a watch does:
// only its owner may read it; a file others could read is tightened once.
TEST_F(WindowFixture, ASettingsFileHoldingTheCookieIsPrivate)
{
    const std::string tightened = "设置文件保存了登录Cookie等机密，已改为仅本人可读写：";
    const auto path = exeDir / "data" / "setsoft.ini";
    const struct
    {
        const char* cookie;
        std::optional<unsigned> modeBefore; // none: no file yet
        unsigned modeAfter;
        bool told;
    } rows[] = {
        {"", 0644, 0644, false},
        {"pt_key=1", std::nullopt, 0600, false},
        {"pt_key=1", 0644, 0600, true},
        {"pt_key=1", 0600, 0600, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.cookie) + " " + std::to_string(row.modeBefore.value_or(0)));
        closeWindow();
        std::filesystem::remove(path);
        if (row.modeBefore) {
            writeFileBytes(path, "");
            ::chmod(path.c_str(), *row.modeBefore);
        }
        openWindow({}, false);
        takeLogBuffer(*state);
        control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(QString::fromUtf8(row.cookie));
        closeWindow();
        struct stat info
        {
        };
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777U, row.modeAfter);
        EXPECT_EQ(countOf(takeLogBuffer(*state), tightened + path.string()), row.told ? 1u : 0u);
        openWindow({}, false);
    }
}

// A settings place nobody can write to, root included: /sys.
TEST_F(WindowFixture, ASettingsPlaceThatTakesNoFileIsSaidOnceWithItsCause)
{
    const int fd = ::open("/sys/kernel/zorvane-settings", O_WRONLY | O_CREAT | O_EXCL, 0644);
    const int refused = fd < 0 ? errno : 0;
    if (fd >= 0) {
        ::close(fd);
        ::unlink("/sys/kernel/zorvane-settings");
    }
    if (refused != EACCES && refused != EROFS)
        GTEST_SKIP() << "no /sys/kernel that refuses files";
    closeWindow();
    const char* xdgBefore = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdgBefore ? xdgBefore : "";
    std::filesystem::remove_all(exeDir / "data");
    std::filesystem::create_directory_symlink("/sys/kernel", exeDir / "data");
    std::filesystem::create_directories(exeDir / "xdg" / "zorvane");
    std::filesystem::create_directory_symlink("/sys/kernel", exeDir / "xdg" / "zorvane" / "data");
    ::setenv("XDG_CONFIG_HOME", (exeDir / "xdg").c_str(), 1);

    openWindow({}, false);
    const std::string path = window->settingsPath();
    closeWindow(); // the save fails as well
    const std::string log = takeLogBuffer(*state);
    const std::string cause = refused == EROFS ? "文件系统只读" : "权限不足";
    EXPECT_EQ(countOf(log, "设置无法保存：" + path + "（" + cause + "）"), 1u) << log;
    EXPECT_EQ(countOf(log, "保存设置失败"), 0u) << log;

    if (xdgBefore)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
