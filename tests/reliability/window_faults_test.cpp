// The window over settings it cannot keep: a save that fails is logged and
// leaves the previous file, a data directory that is a file sends the
// settings to the user's directory, and random bytes still open a window.
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdlib>
#include <random>

#include "base/gbk.h"
#include "base/text.h"
#include "core/log.h"
#include "tests/reliability/file_helpers.h"
#include "tests/ui/window_fixture.h"

namespace zorvane::test {
namespace {

using WindowFaults = WindowFixture;

TEST_F(WindowFaults, SettingsThatCannotBeSavedAreLoggedAndThePreviousFileStays)
{
    control<QLineEdit>("编辑框_参数_页数")->setText(QStringLiteral("5"));
    closeWindow();
    const std::filesystem::path path = exeDir / "data" / "setsoft.ini";
    const std::string previous = readFileBytes(path);
    ASSERT_FALSE(previous.empty());

    openWindow({}, false);
    control<QPlainTextEdit>("编辑框_参数_COOKIE")->setPlainText(QString(20000, QLatin1Char('c')));
    {
        // Past the file size limit every write fails, also for root.
        const FileSizeLimit limit(4096);
        closeWindow();
    }
    EXPECT_NE(takeLogBuffer(*state).find("保存设置失败：" + path.string()), std::string::npos);
    EXPECT_EQ(readFileBytes(path), previous);
    openWindow({}, false);
    EXPECT_EQ(control<QLineEdit>("编辑框_参数_页数")->text(), QStringLiteral("5"));
}

TEST_F(WindowFaults, DataDirectoryThatIsAFileSendsTheSettingsToTheUserDirectory)
{
    closeWindow();
    std::filesystem::remove_all(exeDir / "data");
    writeFileBytes(exeDir / "data", "not a directory");
    const std::string xdg = (exeDir / "xdg").string();
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);

    openWindow({}, false);
    EXPECT_EQ(window->settingsPath(), xdg + "/zorvane/data/setsoft.ini");
    control<QLineEdit>("编辑框_参数_页数")->setText(QStringLiteral("9"));
    closeWindow();
    EXPECT_EQ(takeLogBuffer(*state).find("保存设置失败"), std::string::npos);
    openWindow({}, false);
    EXPECT_EQ(control<QLineEdit>("编辑框_参数_页数")->text(), QStringLiteral("9"));
    EXPECT_EQ(readFileBytes(exeDir / "data"), "not a directory");

    if (before)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(WindowFaults, SettingsFileKeepsItsEncodingAndAnUndecodableOneIsLoggedOnce)
{
    const std::string logLine = "设置文件编码无法识别，已按GBK读取";
    const std::filesystem::path path = exeDir / "data" / "setsoft.ini";
    // As a Linux editor saves it: UTF-8, LF, keys the window does not own.
    const std::string utf8 = "[配置]\n登录主机 = login.example\n[编辑框]\n编辑框_参数_页数=8\n; 我的\n";
    struct Case
    {
        std::string before;
        bool logged;
    };
    for (const Case& c : {Case{utf8, false}, Case{"\xFF\n" + utf8ToGbk(utf8), true}}) {
        closeWindow();
        writeFileBytes(path, c.before);
        openWindow({}, false);
        EXPECT_EQ(control<QLineEdit>("编辑框_参数_页数")->text(), QStringLiteral("8"));
        closeWindow();
        const std::string log = takeLogBuffer(*state);
        const std::size_t first = log.find(logLine);
        EXPECT_EQ(first != std::string::npos, c.logged) << log;
        EXPECT_EQ(first, log.rfind(logLine)) << log;
        const std::string saved = readFileBytes(path);
        EXPECT_TRUE(startsWith(saved, c.before)) << saved;
        EXPECT_EQ(saved.find('\r'), std::string::npos) << saved;
        EXPECT_EQ(splitText(saved, c.logged ? utf8ToGbk("[编辑框]") : "[编辑框]").size(), 2u) << saved;
    }
}

TEST_F(WindowFaults, SettingsFileOfRandomBytesOpensAndIsRewrittenUsable)
{
    const char* boxes[] = {"编辑框_参数_地址", "编辑框_参数_间隔", "编辑框_参数_页数", "编辑框_价格min",
                           "编辑框_价格max"};
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        closeWindow();
        std::string bytes(random() % 3000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        std::string lines;
        for (const char* box : boxes)
            lines += std::string("\n[编辑框]\n") + box + "=" + bytes.substr(0, random() % 200) + "\n";
        writeFileBytes(exeDir / "data" / "setsoft.ini", bytes + lines + bytes);

        openWindow({}, false);
        std::vector<QString> shown;
        for (const char* box : boxes)
            shown.push_back(control<QLineEdit>(box)->text());
        closeWindow();
        EXPECT_EQ(takeLogBuffer(*state).find("保存设置失败"), std::string::npos);
        openWindow({}, false);
        for (std::size_t i = 0; i < std::size(boxes); ++i)
            EXPECT_EQ(control<QLineEdit>(boxes[i])->text(), shown[i]) << boxes[i] << " round " << round;
    }
}

} // namespace
} // namespace zorvane::test
